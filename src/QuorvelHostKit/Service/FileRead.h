#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Quorvel {

// The whole file, or the errno of the failure, so that a missing file can be told apart from one
// that exists but cannot be read.
struct FileRead {
    std::optional<QByteArray> bytes;
    int error = 0;

    // Reads the file at `path`. A file longer than `largestBytes` (when given) is refused with
    // EFBIG once that many bytes have been passed, so that a stray huge file is never read whole.
    static FileRead read(const QString &path, std::optional<qsizetype> largestBytes = std::nullopt);
};

} // namespace Quorvel

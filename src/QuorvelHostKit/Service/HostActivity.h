#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace Quorvel {

// One entry of the host's activity log: what a paired device did, or a notable host event.
// Entries live in memory only and are never edited after they are made.
struct HostActivity {
    enum class Outcome { ok, failed, info };

    // Device names are kept short enough for one line in the activity list.
    static constexpr int deviceLimit = 80;
    // Details hold command output or a reason; 500 characters keep the log readable.
    static constexpr int detailLimit = 500;

    QUuid id;
    QDateTime date;
    QString device;
    QString summary;
    Outcome outcome = Outcome::info;
    std::optional<QString> detail;

    // A new entry with a fresh id and the current date; device and detail are clipped to
    // their limits, as every text placed in the log must be.
    static HostActivity make(const QString &device, const QString &summary, Outcome outcome,
                             const std::optional<QString> &detail = std::nullopt);

    // Control and format characters become spaces, the ends are trimmed, and a text longer than
    // `limit` user-perceived characters keeps its first `limit` ones followed by "…".
    static QString clip(const QString &text, int limit);

    // The outcome's name as the diagnostics show it: "ok", "failed" or "info".
    static QString outcomeName(Outcome outcome);

    friend bool operator==(const HostActivity &, const HostActivity &) = default;
};

} // namespace Quorvel

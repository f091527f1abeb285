#include "QuorvelHostKit/Service/FileRead.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Quorvel {

namespace {

// Read in pieces of this size; the files read here are small and usually fit in one.
constexpr qsizetype readChunkBytes = 64 * 1024;

} // namespace

FileRead FileRead::read(const QString &path, std::optional<qsizetype> largestBytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {std::nullopt, errno};
    }
    QByteArray bytes;
    QByteArray chunk(readChunkBytes, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = ::read(fd, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            const int error = errno;
            ::close(fd);
            return {std::nullopt, error};
        }
        if (count == 0) {
            break;
        }
        bytes.append(chunk.constData(), count);
        if (largestBytes && bytes.size() > *largestBytes) {
            ::close(fd);
            return {std::nullopt, EFBIG};
        }
    }
    ::close(fd);
    return {bytes, 0};
}

} // namespace Quorvel

#include "SmallDiskFiller.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

SmallDiskFiller::SmallDiskFiller(int pagesLeft)
    : m_path(qEnvironmentVariable("QUORVEL_SMALL_DISK") + QStringLiteral("/filler"))
{
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const QByteArray page(pageBytes, 'f');
    qint64 size = 0;
    for (;;) {
        const ssize_t written = ::write(fd, page.constData(), page.size());
        if (written <= 0)
            break;
        size += written;
    }
    m_full = errno == ENOSPC;
    size -= size % pageBytes;
    if (::ftruncate(fd, std::max<qint64>(0, size - pagesLeft * pageBytes)) != 0)
        m_full = false;
    ::close(fd);
}

SmallDiskFiller::~SmallDiskFiller()
{
    QFile::remove(m_path);
}

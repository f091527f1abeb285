#include "Platform/Files/PrivateFolder.h"

#include "Platform/Files/PrivateFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel {

namespace {

constexpr mode_t folderMode = S_IRWXU;

std::optional<struct stat> regularFileStatus(int folder, const QByteArray &name)
{
    struct stat status {};
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return status;
}

bool isRegularFile(int folder, const QByteArray &name)
{
    return regularFileStatus(folder, name).has_value();
}

// A name that stays inside the folder: one entry, no path.
bool isEntryName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/');
}

} // namespace

PrivateFolder::PrivateFolder(const QString &path) : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    if (const int failure = PrivateFile::makeFolder(QFileInfo(path).absolutePath())) {
        m_error = failure;
        return;
    }
    if (::mkdir(name.constData(), folderMode) != 0 && errno != EEXIST) {
        m_error = errno;
        return;
    }
    // O_NOFOLLOW with O_DIRECTORY fails with ENOTDIR on a link, so the one call both checks
    // what is at the path and opens it.
    m_fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

PrivateFolder::~PrivateFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int PrivateFolder::create(const QString &name, const QByteArray &bytes) const
{
    return m_fd < 0 ? m_error : PrivateFile::createIn(m_fd, name, bytes);
}

QStringList PrivateFolder::fileNames() const
{
    QStringList names;
    // A listing of its own, so its position is not shared with the descriptor kept open.
    const int listing = m_fd < 0 ? -1 : ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return names;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (isRegularFile(m_fd, name))
            names.append(QFile::decodeName(name));
    }
    ::closedir(entries);
    return names;
}

int PrivateFolder::remove(const QString &name) const
{
    if (m_fd < 0)
        return m_error;
    if (!isEntryName(name))
        return EINVAL;
    const QByteArray encoded = QFile::encodeName(name);
    if (!isRegularFile(m_fd, encoded))
        return EPERM;
    return ::unlinkat(m_fd, encoded.constData(), 0) == 0 ? 0 : errno;
}

std::optional<qint64> PrivateFolder::modifiedAt(const QString &name) const
{
    if (m_fd < 0 || !isEntryName(name))
        return std::nullopt;
    const std::optional<struct stat> status = regularFileStatus(m_fd, QFile::encodeName(name));
    if (!status)
        return std::nullopt;
    return qint64(status->st_mtim.tv_sec) * 1'000'000'000 + status->st_mtim.tv_nsec;
}

int PrivateFolder::setModifiedAt(const QString &name, qint64 nanoseconds) const
{
    if (m_fd < 0)
        return m_error;
    if (!isEntryName(name) || nanoseconds < 0)
        return EINVAL;
    const QByteArray encoded = QFile::encodeName(name);
    if (!isRegularFile(m_fd, encoded))
        return EPERM;
    // The access time stays; a link put there meanwhile has its own time set, never its target's.
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000)},
    };
    return ::utimensat(m_fd, encoded.constData(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

} // namespace Quorvel

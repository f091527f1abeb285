#include "Platform/Files/LeftoverFiles.h"

#include "Platform/Files/PrivateFile.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::LeftoverFiles {

namespace {

// The names in the folder open at folder that PrivateFile gives the temporary files of the files
// written names.
QList<QByteArray> temporaryNames(int folder, const WrittenFile &written)
{
    QList<QByteArray> names;
    // A listing of its own, so its position is not shared with the descriptor kept open.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return names;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        const std::optional<QString> target =
            PrivateFile::temporaryFileTarget(QFile::decodeName(name));
        if (target && written(*target))
            names.append(name);
    }
    ::closedir(entries);
    return names;
}

} // namespace

QStringList remove(const QString &path, const WrittenFile &written, const QDateTime &changedBefore)
{
    QStringList removed;
    // Only a real folder opens: O_NOFOLLOW with O_DIRECTORY fails on a link.
    const int folder = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return removed;
    const qint64 limit = changedBefore.toMSecsSinceEpoch();
    for (const QByteArray &name : temporaryNames(folder, written)) {
        struct stat status {};
        if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode))
            continue;
        // The status change time, which no program can set back, unlike the modification time.
        const qint64 changed =
            qint64(status.st_ctim.tv_sec) * 1000 + status.st_ctim.tv_nsec / 1'000'000;
        if (changed >= limit)
            continue;
        if (::unlinkat(folder, name.constData(), 0) == 0)
            removed.append(QFile::decodeName(name));
    }
    ::close(folder);
    return removed;
}

} // namespace Quorvel::LeftoverFiles

#include "Platform/Files/PrivateFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::PrivateFile {

namespace {

constexpr mode_t fileMode = S_IRUSR | S_IWUSR;
constexpr mode_t folderMode = S_IRWXU;

int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        written += count;
    }
    return 0;
}

// "." + the file's name + ".new-" + the 32 lowercase hexadecimal digits of a random UUID; the
// form temporaryFileTarget knows.
QString temporaryName(const QString &fileName)
{
    return QStringLiteral(".") + fileName + QStringLiteral(".new-") +
           QUuid::createUuid().toString(QUuid::Id128);
}

// Writes bytes to a new owner-only file beside path (relative to the folder open as folder, or
// to the working folder for AT_FDCWD) and returns its name, or the errno of the first failure (the
// file then is gone again).
int writeTemporary(int folder, const QString &path, const QByteArray &bytes, QByteArray *temporary)
{
    const QFileInfo info(path);
    *temporary = QFile::encodeName(info.path() + u'/' + temporaryName(info.fileName()));
    const int fd = ::openat(folder, temporary->constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode);
    if (fd < 0)
        return errno;
    int error = fill(fd, bytes);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlinkat(folder, temporary->constData(), 0);
    return error;
}

// Makes a rename or link in the folder last across a crash; the file is in place either way, so
// a failure here is not one of the write.
void syncFolder(int folder, const QString &path)
{
    if (folder != AT_FDCWD) {
        ::fsync(folder);
        return;
    }
    const int fd = ::open(QFile::encodeName(QFileInfo(path).path()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int createAt(int folder, const QString &path, const QByteArray &bytes)
{
    QByteArray temporary;
    if (const int error = writeTemporary(folder, path, bytes, &temporary))
        return error;
    // link never replaces anything at path, not even a dangling symbolic link.
    const int error =
        ::linkat(folder, temporary.constData(), folder, QFile::encodeName(path).constData(), 0) == 0
            ? 0
            : errno;
    ::unlinkat(folder, temporary.constData(), 0);
    if (error == 0)
        syncFolder(folder, path);
    return error;
}

// Takes the group's and others' permissions away from what is at path when it is of the kind.
int tighten(const QString &path, mode_t kind)
{
    constexpr mode_t ownMode = S_IRWXU;
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0)
        return errno == ENOENT ? 0 : errno;
    if ((status.st_mode & S_IFMT) != kind || (status.st_mode & ~S_IFMT & ~ownMode) == 0)
        return 0;
    return ::chmod(name.constData(), status.st_mode & ownMode) == 0 ? 0 : errno;
}

} // namespace

int fill(int descriptor, const QByteArray &bytes)
{
    // The umask may only take bits away; the mode is set exactly before any byte is written.
    if (::fchmod(descriptor, fileMode) != 0)
        return errno;
    if (const int error = writeAll(descriptor, bytes))
        return error;
    // Nothing counts as written before fsync said so: a file system may take the bytes and only
    // find at the flush that there is no room for them.
    return ::fsync(descriptor) == 0 ? 0 : errno;
}

int replace(const QString &path, const QByteArray &bytes)
{
    QByteArray temporary;
    if (const int error = writeTemporary(AT_FDCWD, path, bytes, &temporary))
        return error;
    // rename replaces a symbolic link at path itself, never the file it points to.
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return error;
    }
    syncFolder(AT_FDCWD, path);
    return 0;
}

int create(const QString &path, const QByteArray &bytes)
{
    return createAt(AT_FDCWD, path, bytes);
}

int createIn(int folder, const QString &name, const QByteArray &bytes)
{
    // A name with a "/" would reach past the folder held open.
    if (name.isEmpty() || name.contains(u'/'))
        return EINVAL;
    return createAt(folder, name, bytes);
}

int makeFolder(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    qsizetype end = 0;
    while (end < absolute.size()) {
        end = absolute.indexOf(u'/', end + 1);
        if (end < 0)
            end = absolute.size();
        const QByteArray folder = QFile::encodeName(absolute.left(end));
        if (::mkdir(folder.constData(), folderMode) == 0)
            continue;
        struct stat status {};
        if (errno != EEXIST)
            return errno;
        if (::stat(folder.constData(), &status) != 0)
            return errno;
        if (!S_ISDIR(status.st_mode))
            return ENOTDIR;
    }
    return 0;
}

int tightenFolder(const QString &path)
{
    return tighten(path, S_IFDIR);
}

int tightenFile(const QString &path)
{
    return tighten(path, S_IFREG);
}

int removeFile(const QString &path)
{
    const QFileInfo info(path);
    const int folder =
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    // A removal takes the name away and never reaches what a link names.
    const QByteArray name = QFile::encodeName(info.fileName());
    struct stat status {};
    int error = 0;
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        error = errno;
    else if (!S_ISREG(status.st_mode))
        error = EPERM;
    else if (::unlinkat(folder, name.constData(), 0) != 0)
        error = errno;
    ::close(folder);
    return error;
}

std::optional<QString> temporaryFileTarget(const QString &name)
{
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("\\.(.+)\\.new-[0-9a-f]{32}")));
    const QRegularExpressionMatch match = form.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace Quorvel::PrivateFile

#include "Platform/Desktop/ProcessTable.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::ProcessTable {

namespace {

const QString procRoot = QStringLiteral("/proc/");

// The kernel marks the executable link of a replaced or removed file with this suffix.
const QString deletedSuffix = QStringLiteral(" (deleted)");

// Flatpak describes the application of a sandbox in this file at the sandbox's root.
const QString flatpakInfo = QStringLiteral("root/.flatpak-info");
const QByteArray applicationNameKey = QByteArrayLiteral("name=");

QString linkTarget(const QString &link)
{
    std::array<char, PATH_MAX> buffer{};
    const QByteArray name = QFile::encodeName(link);
    const ssize_t length = ::readlink(name.constData(), buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return QString();
    return QFile::decodeName(QByteArray(buffer.data(), length));
}

QString executableOf(const QString &procDir)
{
    QString path = linkTarget(procDir + QStringLiteral("exe"));
    if (path.endsWith(deletedSuffix))
        path.chop(deletedSuffix.size());
    return path;
}

QStringList argumentsOf(const QString &procDir)
{
    QFile cmdline(procDir + QStringLiteral("cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = cmdline.readAll();
    // The words are separated, and the last one ended, by NUL bytes.
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    QStringList arguments;
    if (bytes.isEmpty())
        return arguments;
    for (const QByteArray &word : bytes.split('\0'))
        arguments.append(QFile::decodeName(word));
    return arguments;
}

// The "name" of the "[Application]" group of a Flatpak sandbox's info file.
QString flatpakIdOf(const QString &procDir)
{
    QFile file(procDir + flatpakInfo);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    bool inApplication = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('['))
            inApplication = line == "[Application]";
        else if (inApplication && line.startsWith(applicationNameKey))
            return QString::fromUtf8(line.mid(applicationNameKey.size()));
    }
    return QString();
}

bool ownedByThisUser(const QString &procDir)
{
    struct stat info {};
    return ::stat(QFile::encodeName(procDir).constData(), &info) == 0 && info.st_uid == ::getuid();
}

} // namespace

ProcessInfo read(qint64 pid, const QString &root)
{
    const QString procDir = root + QString::number(pid) + u'/';
    ProcessInfo process;
    process.pid = pid;
    process.executablePath = executableOf(procDir);
    process.arguments = argumentsOf(procDir);
    process.workingFolder = linkTarget(procDir + QStringLiteral("cwd"));
    process.flatpakId = flatpakIdOf(procDir);
    return process;
}

QList<ProcessInfo> ownProcesses()
{
    QList<ProcessInfo> processes;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return processes;
    while (const dirent *item = ::readdir(proc)) {
        bool isNumber = false;
        const qint64 pid = QByteArray(item->d_name).toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const QString procDir = procRoot + QString::number(pid) + u'/';
        if (!ownedByThisUser(procDir))
            continue;
        const ProcessInfo process = read(pid, procRoot);
        if (!process.executablePath.isEmpty() || !process.arguments.isEmpty())
            processes.append(process);
    }
    ::closedir(proc);
    std::sort(processes.begin(), processes.end(),
              [](const ProcessInfo &a, const ProcessInfo &b) { return a.pid < b.pid; });
    return processes;
}

// From PROC/PID/stat, whose fourth field it is; the second field (the name, in parentheses) may
// hold spaces and parentheses itself, so the fields are read after its end.
qint64 parentOf(qint64 pid, const QString &root)
{
    QFile stat(root + QString::number(pid) + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return 0;
    const QList<QByteArray> fields = line.mid(nameEnd + 1).simplified().split(' ');
    // After the name: the state, then the parent's id.
    return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
}

bool isOwnProcess(qint64 pid)
{
    return pid > 0 && ownedByThisUser(procRoot + QString::number(pid) + u'/');
}

QList<qint64> outermost(const QList<qint64> &pids)
{
    QList<qint64> outer;
    for (const qint64 pid : pids) {
        if (!pids.contains(parentOf(pid)))
            outer.append(pid);
    }
    return outer;
}

bool terminate(qint64 pid, QString *error)
{
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), SIGTERM) == 0)
        return true;
    const int reason = errno;
    if (error && reason != ESRCH)
        *error = QString::fromLocal8Bit(std::strerror(reason));
    return false;
}

} // namespace Quorvel::ProcessTable

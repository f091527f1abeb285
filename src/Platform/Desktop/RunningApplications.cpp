#include "Platform/Desktop/RunningApplications.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::RunningApplications {

namespace {

const QString procRoot = QStringLiteral("/proc/");

// The kernel marks the executable link of a replaced or removed file with this suffix.
const QString deletedSuffix = QStringLiteral(" (deleted)");

struct Program {
    QString canonicalPath;
    QString fileName;
};

struct Process {
    qint64 pid = 0;
    QString executablePath;
    QString executableName;
    QString firstArgumentName;
};

Program programOf(const DesktopEntry &entry)
{
    Program program;
    program.fileName = QFileInfo(entry.executable).fileName();
    const QString found = QStandardPaths::findExecutable(entry.executable);
    if (!found.isEmpty())
        program.canonicalPath = QFileInfo(found).canonicalFilePath();
    return program;
}

QString executableOf(const QString &procDir)
{
    std::array<char, PATH_MAX> buffer{};
    const QByteArray link = QFile::encodeName(procDir + QStringLiteral("exe"));
    const ssize_t length = ::readlink(link.constData(), buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return QString();
    QString path = QFile::decodeName(QByteArray(buffer.data(), length));
    if (path.endsWith(deletedSuffix))
        path.chop(deletedSuffix.size());
    return path;
}

QString firstArgumentNameOf(const QString &procDir)
{
    QFile cmdline(procDir + QStringLiteral("cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return QString();
    // The arguments are separated by NUL bytes; only the first is needed.
    const QByteArray first = cmdline.readAll().split('\0').value(0);
    return QFileInfo(QFile::decodeName(first)).fileName();
}

QList<Process> ownProcesses()
{
    QList<Process> processes;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return processes;
    const uid_t self = ::getuid();
    while (const dirent *item = ::readdir(proc)) {
        bool isNumber = false;
        const qint64 pid = QByteArray(item->d_name).toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const QString procDir = procRoot + QString::number(pid) + u'/';
        struct stat info {};
        if (::stat(QFile::encodeName(procDir).constData(), &info) != 0 || info.st_uid != self)
            continue;
        Process process;
        process.pid = pid;
        process.executablePath = executableOf(procDir);
        process.executableName = QFileInfo(process.executablePath).fileName();
        process.firstArgumentName = firstArgumentNameOf(procDir);
        if (!process.executablePath.isEmpty() || !process.firstArgumentName.isEmpty())
            processes.append(process);
    }
    ::closedir(proc);
    std::sort(processes.begin(), processes.end(),
              [](const Process &a, const Process &b) { return a.pid < b.pid; });
    return processes;
}

bool runs(const Process &process, const Program &program)
{
    if (program.fileName.isEmpty())
        return false;
    if (!program.canonicalPath.isEmpty() && process.executablePath == program.canonicalPath)
        return true;
    return process.executableName == program.fileName ||
           process.firstArgumentName == program.fileName;
}

} // namespace

QList<RunningApplication> list(const QList<DesktopEntry> &entries)
{
    QList<Program> programs;
    programs.reserve(entries.size());
    for (const DesktopEntry &entry : entries)
        programs.append(programOf(entry));

    QList<RunningApplication> running;
    for (const Process &process : ownProcesses()) {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (!runs(process, programs[i]))
                continue;
            const QString executable = process.executableName.isEmpty() ? process.firstArgumentName
                                                                        : process.executableName;
            running.append({entries[i].name, executable, entries[i].id, process.pid});
            break;
        }
    }
    return running;
}

} // namespace Quorvel::RunningApplications

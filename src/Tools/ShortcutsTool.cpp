// quorvel-shortcuts: lists and runs the user's shortcuts for the host.
//   quorvel-shortcuts list       prints the names of the shortcuts, one a line
//   quorvel-shortcuts run NAME   runs the shortcut NAME in place of this program, so its output
//                                and exit status are the run's own

#include "Tools/ShortcutFolder.h"

#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The exit status for a wrong command line, as sysexits.h has it.
constexpr int usageStatus = 64;
constexpr int failureStatus = 1;

int usage()
{
    QTextStream(stderr) << "usage: quorvel-shortcuts list | run NAME\n";
    return usageStatus;
}

int list()
{
    QTextStream out(stdout);
    for (const QString &name : Quorvel::ShortcutFolder::names(Quorvel::ShortcutFolder::path()))
        out << name << '\n';
    return 0;
}

int run(const QString &name)
{
    const auto executable =
        Quorvel::ShortcutFolder::executable(Quorvel::ShortcutFolder::path(), name);
    if (!executable) {
        QTextStream(stderr) << "Couldn't find shortcut named '" << name << "'\n";
        return failureStatus;
    }
    const QByteArray path = QFile::encodeName(*executable);
    char *const arguments[] = {const_cast<char *>(path.constData()), nullptr};
    ::execv(path.constData(), arguments);
    QTextStream(stderr) << "Couldn't run shortcut '" << name << "': " << std::strerror(errno)
                        << '\n';
    return failureStatus;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == u"list" && argc == 2)
        return list();
    if (command == u"run" && argc == 3)
        return run(QString::fromLocal8Bit(argv[2]));
    return usage();
}

#include "QuorvelHostKit/Execution/ChildProcess.h"

#include "QuorvelHostKit/Execution/DescriptorWatcher.h"
#include "QuorvelHostKit/Execution/EnvironmentBlock.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Quorvel {

namespace {

const char *const nullDevice = "/dev/null";

EnvironmentBlock environmentBlock;

// The exit status reported for a program whose status could not be read.
constexpr int unknownExitStatus = -1;

// A descriptor that becomes readable when the process ends. Called through syscall: glibc's
// header of the wrapper lacks C linkage for C++.
int openProcessDescriptor(pid_t pid)
{
    return int(::syscall(SYS_pidfd_open, pid, 0));
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A NULL-terminated array of pointers into entries, which must outlive it.
std::vector<char *> pointersTo(QByteArrayList &entries)
{
    std::vector<char *> pointers;
    pointers.reserve(size_t(entries.size()) + 1);
    for (QByteArray &entry : entries)
        pointers.push_back(entry.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Owns the attributes and file actions of one spawn.
class SpawnSetup {
public:
    SpawnSetup()
    {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

} // namespace

ChildProcess::ChildProcess(std::function<void(int exitCode)> onExited)
    : m_onExited(std::move(onExited))
{}

ChildProcess::~ChildProcess()
{
    closeDescriptor();
}

void ChildProcess::closeDescriptor()
{
    if (m_pidfd < 0)
        return;
    DescriptorWatcher::instance().unwatch(m_pidfd);
    ::close(m_pidfd);
    m_pidfd = -1;
}

bool ChildProcess::start(const QString &program, const QStringList &arguments, int outFd, int errFd,
                         QString *error)
{
    const QByteArray path = QFile::encodeName(program);
    QByteArrayList argumentBytes{path};
    for (const QString &argument : arguments)
        argumentBytes.append(argument.toLocal8Bit());
    std::vector<char *> argv = pointersTo(argumentBytes);

    SpawnSetup setup;
    // Signals this process ignores or blocks must not stay ignored or blocked in the program.
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setflags(&setup.attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, nullDevice, O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, errFd, STDERR_FILENO);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, path.constData(), &setup.actions, &setup.attributes,
                                      argv.data(), environmentBlock.current());
    if (spawned != 0) {
        *error = systemError(spawned);
        return false;
    }
    m_pid = pid;
    m_running = true;

    m_pidfd = openProcessDescriptor(pid);
    if (m_pidfd < 0 || !DescriptorWatcher::instance().watch(m_pidfd, [this] { reap(); })) {
        // Without a way to see it exit, the program cannot be run as a run must be.
        *error = systemError(errno);
        closeDescriptor();
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        m_running = false;
        return false;
    }
    return true;
}

void ChildProcess::reap()
{
    if (!m_running)
        return;
    siginfo_t info{};
    int reaped;
    do {
        reaped = ::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0 && info.si_pid == 0)
        return;

    closeDescriptor();
    m_running = false;
    // For a program ended by a signal the status is that signal's number. Should anything else
    // in this process have reaped it, its status is lost: it still ended.
    m_onExited(reaped == 0 ? info.si_status : unknownExitStatus);
}

} // namespace Quorvel

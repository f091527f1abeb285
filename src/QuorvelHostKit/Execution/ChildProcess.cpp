#include "QuorvelHostKit/Execution/ChildProcess.h"

#include "QuorvelHostKit/Execution/DescriptorWatcher.h"
#include "QuorvelHostKit/Execution/EnvironmentBlock.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Quorvel {

namespace {

const char *const nullDevice = "/dev/null";

EnvironmentBlock environmentBlock;

// The exit status reported for a program whose status could not be read.
constexpr int unknownExitStatus = -1;

// Room for the frames of the child between clone and exec, where only system call wrappers run
// (and, at a first call, the dynamic linker binding one): the 32 KiB glibc's posix_spawn gives
// its child beyond the arguments.
constexpr size_t childStackSize = 32 * 1024;
// The exit status of a child that could not set itself up or exec its program, as posix_spawn's
// own child uses; the reason reaches the parent through the memory they share.
constexpr int launchFailureStatus = 127;

// A program's path and arguments reach it as C strings, which end at the first NUL: the rest of
// a command would silently not run.
const QString nulInCommand = QStringLiteral("a command can't hold a NUL character");

bool holdsNul(const QString &text)
{
    return text.contains(QChar(0));
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

// What the child needs to become the program, and where it leaves the reason it could not.
struct Launch {
    const char *path;
    char *const *argv;
    char *const *envp;
    int outFd;
    int errFd;
    int error = 0;
};

// The functions below run in the child between clone and exec, in the parent's memory and on a
// stack inside the parent's frame: only async-signal-safe calls, nothing allocated, and no
// sanitizer bookkeeping in shadow memory that the parent's own frames would later trip over.
#define QUORVEL_CHILD_SIDE __attribute__((no_sanitize("address", "undefined")))

// Puts fd on target, like posix_spawn's dup2 action: a descriptor already in place only loses
// its close-on-exec flag.
QUORVEL_CHILD_SIDE bool placeDescriptor(int fd, int target)
{
    if (fd == target)
        return ::fcntl(fd, F_SETFD, 0) == 0;
    return ::dup2(fd, target) == target;
}

// Makes the child the program, as posix_spawn with a new session, default signal handling, an
// empty signal mask, standard input on the null device and the given output descriptors would;
// returns only when that failed, with the reason in errno.
QUORVEL_CHILD_SIDE void becomeProgram(const Launch &launch)
{
    // The parent's handlers must not run here, where they would act on its memory, nor its
    // ignored signals stay ignored in the program: every disposition goes back to its default.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaultAction, nullptr);
    if (::setsid() < 0)
        return;
    const int nullFd = ::open(nullDevice, O_RDONLY);
    if (nullFd < 0)
        return;
    if (nullFd != STDIN_FILENO &&
        (::dup2(nullFd, STDIN_FILENO) != STDIN_FILENO || ::close(nullFd) != 0))
        return;
    if (!placeDescriptor(launch.outFd, STDOUT_FILENO) ||
        !placeDescriptor(launch.errFd, STDERR_FILENO))
        return;
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(launch.path, launch.argv, launch.envp);
}

QUORVEL_CHILD_SIDE int launchChild(void *argument)
{
    auto *launch = static_cast<Launch *>(argument);
    becomeProgram(*launch);
    launch->error = errno;
    ::_exit(launchFailureStatus);
}

#undef QUORVEL_CHILD_SIDE

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
    if (holdsNul(program) || std::any_of(arguments.cbegin(), arguments.cend(), holdsNul)) {
        *error = nulInCommand;
        return false;
    }
    const QByteArray path = QFile::encodeName(program);
    QByteArrayList argumentBytes{path};
    for (const QString &argument : arguments)
        argumentBytes.append(argument.toLocal8Bit());
    std::vector<char *> argv = pointersTo(argumentBytes);
    Launch launch{path.constData(), argv.data(), environmentBlock.current(), outFd, errFd};

    // What posix_spawn does, without its cost per program: the child borrows the parent's memory
    // until exec (CLONE_VM | CLONE_VFORK, the parent waits meanwhile), runs on a stack inside
    // this frame instead of one mapped and unmapped for it, and its process descriptor comes with
    // the clone. All signals stay blocked until the child has reset their handlers, so that none
    // of this process's handlers can run in the child.
    alignas(std::max_align_t) std::array<char, childStackSize> stack;
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    int pidfd = -1;
    const pid_t pid = ::clone(launchChild, stack.data() + stack.size(),
                              CLONE_VM | CLONE_VFORK | CLONE_PIDFD | SIGCHLD, &launch, &pidfd);
    const int cloneError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0) {
        *error = systemError(cloneError);
        return false;
    }
    if (launch.error != 0) {
        ::waitpid(pid, nullptr, 0);
        ::close(pidfd);
        *error = systemError(launch.error);
        return false;
    }
    m_pid = pid;
    m_running = true;
    m_pidfd = pidfd;

    if (!DescriptorWatcher::instance().watch(m_pidfd, [this] { reap(); })) {
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

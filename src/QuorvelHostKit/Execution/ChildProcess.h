#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

namespace Quorvel {

// One program started as the leader of its own session and process group (so that a stop can
// reach everything it starts), with its standard input on the null device and its output on
// descriptors the caller gives. Its exit is watched through a process descriptor on the event
// loop. Started the way posix_spawn starts a program, but without its stack mapped and unmapped
// per program or a separate call for the process descriptor, and not with QProcess: a status
// check costs its poller little more than the program itself. Main thread only.
class ChildProcess {
public:
    // onExited gets the exit status, or the number of the signal that ended the program.
    explicit ChildProcess(std::function<void(int exitCode)> onExited);
    // Leaves a program that still runs alone; it is neither stopped nor waited for.
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts program (an absolute path) with arguments in the environment of childEnvironment();
    // false with the system's reason in error when it cannot be started, or with the reason that
    // the program or an argument holds a NUL character (which no program can be given).
    bool start(const QString &program, const QStringList &arguments, int outFd, int errFd,
               QString *error);

    pid_t pid() const { return m_pid; }
    bool isRunning() const { return m_running; }

private:
    void reap();
    void closeDescriptor();

    std::function<void(int)> m_onExited;
    pid_t m_pid = 0;
    int m_pidfd = -1;
    bool m_running = false;
};

} // namespace Quorvel

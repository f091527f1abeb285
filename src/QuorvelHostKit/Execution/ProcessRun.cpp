#include "QuorvelHostKit/Execution/ProcessRun.h"

#include "QuorvelHostKit/Execution/CappedPipeReader.h"
#include "QuorvelHostKit/Execution/ChildProcess.h"
#include "QuorvelHostKit/Execution/TimerLimits.h"
#include "QuorvelHostKit/Execution/Utf8Repair.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimerEvent>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Quorvel {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

// A pipe for one output stream. Both ends close on exec, so no other program inherits them; the
// program gets its writing end as stdout or stderr by dup2, which clears that flag on the copy.
// Only the reading end is non-blocking: the program's writes must block on a full pipe, not fail.
bool makeOutputPipe(Pipe &pipe)
{
    std::array<int, 2> fds{};
    if (::pipe2(fds.data(), O_CLOEXEC) != 0)
        return false;
    if (::fcntl(fds[0], F_SETFL, O_NONBLOCK) != 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    pipe = {fds[0], fds[1]};
    return true;
}

void closeWritingEnd(Pipe &pipe)
{
    if (pipe.write >= 0)
        ::close(pipe.write);
    pipe.write = -1;
}

void closePipe(Pipe &pipe)
{
    closeWritingEnd(pipe);
    if (pipe.read >= 0)
        ::close(pipe.read);
    pipe.read = -1;
}

} // namespace

ProcessRun::ProcessRun(const QString &program, const QStringList &arguments, double timeoutSeconds,
                       ProcessTimings timings, QObject *owner)
    : m_program(program), m_arguments(arguments), m_timeoutSeconds(timeoutSeconds),
      m_timings(timings), m_owner(owner)
{}

ProcessRun::~ProcessRun() = default;

void ProcessRun::start(Done done)
{
    m_done = std::move(done);

    Pipe out;
    Pipe err;
    QString reason;
    bool started = false;
    if (!makeOutputPipe(out) || !makeOutputPipe(err)) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
    } else {
        m_process = std::make_unique<ChildProcess>([this](int exitCode) { exited(exitCode); });
        started = m_process->start(m_program, m_arguments, out.write, err.write, &reason);
    }
    // The program holds its own copies of the writing ends; end of file comes when it and
    // everything it started have closed them.
    closeWritingEnd(out);
    closeWritingEnd(err);
    if (!started) {
        closePipe(out);
        closePipe(err);
        m_processGone = true;
        deliver(ExecutionError::launchFailed(reason), true);
        return;
    }

    m_stdout =
        std::make_unique<CappedPipeReader>(out.read, outputCap, [this] { finishIfDrained(); });
    m_stderr =
        std::make_unique<CappedPipeReader>(err.read, outputCap, [this] { finishIfDrained(); });
    m_timeoutTimer = startTimer(timerMilliseconds(m_timeoutSeconds), Qt::PreciseTimer);
    if (m_owner)
        connect(m_owner, &QObject::destroyed, this, &ProcessRun::abandoned);
}

void ProcessRun::timerEvent(QTimerEvent *event)
{
    const int timer = event->timerId();
    if (timer == m_timeoutTimer)
        timeoutFired();
    else if (timer == m_drainTimer)
        finishDrained();
    else if (timer == m_killTimer)
        forceStop();
}

void ProcessRun::stopTimer(int &timer)
{
    if (timer != 0)
        killTimer(timer);
    timer = 0;
}

void ProcessRun::exited(int exitCode)
{
    m_processGone = true;
    if (!m_gate.resolve(ExitGate::Outcome::exited)) {
        deleteWhenSettled();
        return;
    }
    stopTimer(m_timeoutTimer);
    m_exitCode = exitCode;
    if (m_stdout->isFinished() && m_stderr->isFinished()) {
        finishDrained();
        return;
    }
    m_drainTimer = startTimer(m_timings.drainLimit, Qt::PreciseTimer);
}

void ProcessRun::timeoutFired()
{
    stopTimer(m_timeoutTimer);
    stopEarly(ExitGate::Outcome::timedOut,
              ExecutionError::timedOut(clampedTimerSeconds(m_timeoutSeconds)));
}

void ProcessRun::abandoned()
{
    stopEarly(ExitGate::Outcome::abandoned, ExecutionError::stopped());
}

void ProcessRun::stopEarly(ExitGate::Outcome outcome, ExecutionError error)
{
    if (!m_done || !m_gate.resolve(outcome))
        return;
    stopTimer(m_timeoutTimer);
    // Output of a program stopped early is discarded, and nothing may keep the run waiting.
    m_stdout->close();
    m_stderr->close();
    stopProcessGroup();
    deliver(std::move(error), false);
}

void ProcessRun::finishIfDrained()
{
    if (m_gate.outcome() == ExitGate::Outcome::exited && m_stdout->isFinished() &&
        m_stderr->isFinished())
        finishDrained();
}

void ProcessRun::finishDrained()
{
    stopTimer(m_drainTimer);
    if (!m_done)
        return;
    // A background program the run started may still hold the pipes; it gets a broken pipe if it
    // writes later.
    m_stdout->close();
    m_stderr->close();
    deliver(ExecutionResult{m_exitCode, repairedUtf8(m_stdout->bytes()),
                            repairedUtf8(m_stderr->bytes())},
            true);
}

void ProcessRun::stopProcessGroup()
{
    const pid_t pid = m_process->pid();
    // Every program is started as the leader of its own group, so the group holds the programs
    // it started, which must stop with it. The leader is not reaped before it has exited, so its
    // group id cannot have passed to another process yet.
    m_stoppedPid = pid;
    m_stoppedGroup = ::getpgid(pid) == pid;
    ::kill(m_stoppedGroup ? -pid : pid, SIGTERM);
    m_killTimer = startTimer(m_timings.killGrace, Qt::PreciseTimer);
}

void ProcessRun::forceStop()
{
    stopTimer(m_killTimer);
    if (m_stoppedGroup)
        ::kill(-m_stoppedPid, SIGKILL);
    else if (m_process->isRunning())
        ::kill(m_stoppedPid, SIGKILL);
    deleteWhenSettled();
}

void ProcessRun::deliver(ExecutionOutcome outcome, bool finished)
{
    Done done = std::exchange(m_done, nullptr);
    // Delivered from the event loop, never from inside this object's own handlers: the receiver
    // may run anything, including nested event loops.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [run = QPointer<ProcessRun>(finished ? this : nullptr), done = std::move(done),
         outcome = std::move(outcome)] {
            delete run.data();
            done(outcome);
        },
        Qt::QueuedConnection);
}

void ProcessRun::deleteWhenSettled()
{
    if (m_processGone && m_killTimer == 0 && !m_done)
        deleteLater();
}

} // namespace Quorvel

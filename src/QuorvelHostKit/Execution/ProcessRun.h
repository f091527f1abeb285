#pragma once

#include "QuorvelHostKit/Execution/ExecutionOutcome.h"
#include "QuorvelHostKit/Execution/ExitGate.h"
#include "QuorvelHostKit/Execution/ProcessTimings.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <sys/types.h>

namespace Quorvel {

class CappedPipeReader;
class ChildProcess;

// One program from launch to outcome: the race between its exit and its time-out, its capped
// output, the bounded drain after it exits and the stop of a program that overruns, together with
// everything it started. A run given an owner stops its program the same way when the owner is
// destroyed before the program ended: nobody is left to want the outcome. Lives on the main
// thread and deletes itself once nothing of the program is left to watch; it outlives its owner
// for that.
class ProcessRun : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(ExecutionOutcome)>;

    // Bytes kept of each output stream; the rest is read and dropped.
    static constexpr qsizetype outputCap = 65536;

    // owner may be null: the run then ends only by its program's exit or its time-out.
    ProcessRun(const QString &program, const QStringList &arguments, double timeoutSeconds,
               ProcessTimings timings, QObject *owner = nullptr);
    ~ProcessRun() override;

    // Launches the program; done is called exactly once, from the event loop, never from within
    // start().
    void start(Done done);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void exited(int exitCode);
    void timeoutFired();
    void abandoned();
    // Ends a run whose program still runs: its output is dropped, the program and everything it
    // started are stopped, and error is the outcome.
    void stopEarly(ExitGate::Outcome outcome, ExecutionError error);
    void finishIfDrained();
    void finishDrained();
    void stopProcessGroup();
    void forceStop();
    // Hands the outcome to the waiting caller; when finished, this run is deleted first.
    void deliver(ExecutionOutcome outcome, bool finished);
    void deleteWhenSettled();
    void stopTimer(int &timer);

    QString m_program;
    QStringList m_arguments;
    double m_timeoutSeconds;
    ProcessTimings m_timings;
    QPointer<QObject> m_owner;
    Done m_done;
    ExitGate m_gate;
    std::unique_ptr<ChildProcess> m_process;
    std::unique_ptr<CappedPipeReader> m_stdout;
    std::unique_ptr<CappedPipeReader> m_stderr;
    int m_timeoutTimer = 0;
    int m_drainTimer = 0;
    int m_killTimer = 0;
    pid_t m_stoppedPid = 0;
    bool m_stoppedGroup = false;
    int m_exitCode = 0;
    bool m_processGone = false;
};

} // namespace Quorvel

#pragma once

#include "QuorvelHostKit/Execution/ExecutionOutcome.h"
#include "QuorvelHostKit/Execution/ExecutorTools.h"
#include "QuorvelHostKit/Execution/ProcessTimings.h"
#include "QuorvelHostKit/Execution/StatusOutcome.h"

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <qcoro/qcorotask.h>

namespace Quorvel {

class AppControls;

// Turns a deck's actions and status checks into work on this computer: for each kind it fixes
// the program, its arguments and its time-out, runs it and shapes the outcome; app_control actions
// and checks go to the app-control bridge. Used from the main thread; every operation is
// asynchronous and any number may be in flight at once.
class SystemExecutor : public QObject {
    Q_OBJECT

public:
    // Without a bridge, app_control actions and checks are not available.
    explicit SystemExecutor(AppControls *appControls = nullptr, QObject *parent = nullptr);

    void setTools(const ExecutorTools &tools) { m_tools = tools; }
    const ExecutorTools &tools() const { return m_tools; }
    void setTimings(const ProcessTimings &timings) { m_timings = timings; }

    // Runs an action: its result whatever the exit code, or why it produced none.
    QCoro::Task<ExecutionOutcome> run(Action action);

    // The names of the user's shortcuts, sorted; empty when they cannot be listed.
    QCoro::Task<QStringList> listShortcuts();

    // What a status check finds; never fails (a failure becomes the detail text). A program the
    // check runs is stopped, with everything it started, when owner is destroyed first.
    QCoro::Task<StatusOutcome> status(StatusCheck check, QObject *owner = nullptr);

    // Whether a process or application of that name runs: an installed application by its
    // name, id or program's file name, ignoring case, of which a process of this user runs the
    // program; else a process by its exact name. The lookup ends with owner, as status's does.
    QCoro::Task<bool> isRunning(QString name, QObject *owner = nullptr);

    // Quits the application that name names (as an app action finds it) by asking this user's
    // processes that run it, or whose exact name it is, to end (SIGTERM); of a process and the
    // helpers it started only the process itself is asked. Succeeds when one was asked or none
    // runs; an unknown name fails as an app action does.
    QCoro::Task<ExecutionOutcome> quitApplication(QString name);

    // Runs a program (absolute path) with its arguments, collecting at most 64 KiB of each
    // output stream, and stops it with everything it started when it overruns its time-out, or
    // when owner (if given) is destroyed while it runs; the outcome is then ExecutionError
    // stopped. The run outlives this executor: its program still ends as said.
    QCoro::Task<ExecutionOutcome> runProcess(QString program, QStringList arguments,
                                             double timeout, QObject *owner = nullptr);

private:
    ExecutionResult launchApplication(const QString &name) const;

    QPointer<AppControls> m_appControls;
    ExecutorTools m_tools = ExecutorTools::defaults();
    ProcessTimings m_timings;
};

} // namespace Quorvel

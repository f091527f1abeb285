#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "QuorvelHostKit/Execution/AppControls.h"
#include "QuorvelHostKit/Execution/ChildEnvironment.h"
#include "QuorvelHostKit/Execution/ProcessCommand.h"
#include "QuorvelHostKit/Execution/ProcessRun.h"
#include "QuorvelHostKit/Execution/ShortcutList.h"
#include "QuorvelHostKit/HostKitLogging.h"

#include "QuorvelCore/Model/QuitAppScript.h"

#include "Platform/Desktop/DesktopEntries.h"
#include "Platform/Desktop/ProcessTable.h"
#include "Platform/Desktop/RunningApplications.h"
#include "Platform/Text/OutsideText.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <coroutine>
#include <optional>

namespace Quorvel {

namespace {

const QString appControlsMissing = QStringLiteral("Controlling apps isn't available here");

// Suspends a coroutine until a process run delivers its outcome, which it always does later,
// from the event loop.
class ProcessRunAwaiter {
public:
    explicit ProcessRunAwaiter(ProcessRun *run) : m_run(run) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter)
    {
        m_run->start([this, waiter](ExecutionOutcome outcome) {
            m_outcome = std::move(outcome);
            waiter.resume();
        });
    }
    ExecutionOutcome await_resume() { return std::move(*m_outcome); }

private:
    ProcessRun *m_run;
    std::optional<ExecutionOutcome> m_outcome;
};

ExecutionResult failure(const QString &text)
{
    return ExecutionResult{1, QString(), text};
}

ExecutionResult unknownApplication(const QString &name)
{
    return failure(QStringLiteral("Unable to find application named '%1'\n").arg(name));
}

QString withoutDesktopSuffix(const QString &id)
{
    static const QString suffix = QStringLiteral(".desktop");
    return id.endsWith(suffix) ? id.chopped(suffix.size()) : id;
}

bool sameIgnoringCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString programFileName(const QString &program)
{
    return QFileInfo(program).fileName();
}

// The installed applications that a name can mean: by Name, by id (with or without ".desktop")
// or by the file name of the program it runs, all ignoring case. An empty name means none: an
// entry without TryExec must not be taken for it.
QList<DesktopEntry> entriesCalled(const QString &name)
{
    QList<DesktopEntry> entries;
    if (name.isEmpty())
        return entries;
    for (const DesktopEntry &entry : DesktopEntries::installed()) {
        if (sameIgnoringCase(entry.name, name) || sameIgnoringCase(entry.id, name) ||
            sameIgnoringCase(withoutDesktopSuffix(entry.id), name) ||
            sameIgnoringCase(programFileName(entry.program), name) ||
            sameIgnoringCase(programFileName(entry.tryExecutable), name))
            entries.append(entry);
    }
    return entries;
}

// The process ids pgrep printed, one per line, of this user's processes only: a quit must never
// reach another user's programs, even when the host runs with the rights to.
QList<qint64> ownProcessIds(const QString &pgrepOutput)
{
    QList<qint64> ids;
    for (const QString &line : pgrepOutput.split(u'\n', Qt::SkipEmptyParts)) {
        bool isNumber = false;
        const qint64 pid = line.trimmed().toLongLong(&isNumber);
        if (isNumber && ProcessTable::isOwnProcess(pid))
            ids.append(pid);
    }
    return ids;
}

} // namespace

SystemExecutor::SystemExecutor(AppControls *appControls, QObject *parent)
    : QObject(parent), m_appControls(appControls)
{}

QCoro::Task<ExecutionOutcome> SystemExecutor::run(Action action)
{
    switch (action.type) {
    case Action::Kind::app:
        co_return launchApplication(action.target);
    case Action::Kind::appControl:
        if (!m_appControls)
            co_return failure(appControlsMissing);
        co_return co_await m_appControls->run(action);
    case Action::Kind::applescript:
        if (const std::optional<QString> name = quittingAppName(action.target))
            co_return co_await quitApplication(*name);
        if (!QFileInfo(m_tools.osascript).isExecutable())
            co_return ExecutionError::launchFailed(appleScriptMissingText());
        break;
    case Action::Kind::shortcut:
    case Action::Kind::shell:
    case Action::Kind::script:
        break;
    }
    const ProcessCommand command = *ProcessCommand::forAction(action, m_tools);
    co_return co_await runProcess(command.program, command.arguments, command.timeout);
}

QCoro::Task<QStringList> SystemExecutor::listShortcuts()
{
    const ProcessCommand command = ProcessCommand::forShortcutList(m_tools);
    const ExecutionOutcome outcome =
        co_await runProcess(command.program, command.arguments, command.timeout);
    const auto *result = std::get_if<ExecutionResult>(&outcome);
    if (!result || !result->ok())
        co_return QStringList();
    co_return parseShortcutList(result->standardOutput);
}

QCoro::Task<StatusOutcome> SystemExecutor::status(StatusCheck check, QObject *owner)
{
    switch (check.type) {
    case StatusCheck::Kind::processRunning: {
        const bool running = co_await isRunning(check.target, owner);
        co_return StatusOutcome{running,
                                running ? QStringLiteral("running") : QStringLiteral("stopped")};
    }
    case StatusCheck::Kind::shellExitCode:
    case StatusCheck::Kind::shellOutput: {
        const bool readsExitCode = check.type == StatusCheck::Kind::shellExitCode;
        const ProcessCommand command = ProcessCommand::forShellCheck(check.target, m_tools);
        const ExecutionOutcome outcome =
            co_await runProcess(command.program, command.arguments, command.timeout, owner);
        if (const auto *error = std::get_if<ExecutionError>(&outcome))
            co_return StatusOutcome{std::nullopt, error->description()};
        const auto &result = std::get<ExecutionResult>(outcome);
        if (!readsExitCode)
            co_return StatusOutcome{std::nullopt, result.summary()};
        const QString output = result.standardOutput.trimmed();
        co_return StatusOutcome{result.ok(),
                                output.isEmpty() ? std::nullopt : std::optional(output)};
    }
    case StatusCheck::Kind::appControl:
        if (!m_appControls)
            co_return StatusOutcome{std::nullopt, appControlsMissing};
        co_return m_appControls->status(check.target, check.control);
    }
    co_return StatusOutcome{};
}

QCoro::Task<bool> SystemExecutor::isRunning(QString name, QObject *owner)
{
    if (!RunningApplications::list(entriesCalled(name)).isEmpty())
        co_return true;
    const ProcessCommand command = ProcessCommand::forProcessLookup(name, m_tools);
    const ExecutionOutcome outcome =
        co_await runProcess(command.program, command.arguments, command.timeout, owner);
    const auto *result = std::get_if<ExecutionResult>(&outcome);
    co_return result && result->ok();
}

QCoro::Task<ExecutionOutcome> SystemExecutor::quitApplication(QString name)
{
    qCDebug(lcSystemExecutor, "quit %s", qUtf8Printable(OutsideText::forLog(name)));
    const std::optional<DesktopEntry> entry = DesktopEntries::find(name);
    if (!entry)
        co_return unknownApplication(name);

    QList<qint64> ids = RunningApplications::processIds(*entry);
    const ProcessCommand lookup = ProcessCommand::forProcessLookup(name, m_tools);
    const ExecutionOutcome found =
        co_await runProcess(lookup.program, lookup.arguments, lookup.timeout);
    if (const auto *result = std::get_if<ExecutionResult>(&found); result && result->ok()) {
        for (const qint64 pid : ownProcessIds(result->standardOutput)) {
            if (!ids.contains(pid))
                ids.append(pid);
        }
    }
    ids.removeAll(QCoreApplication::applicationPid());

    int signalled = 0;
    QString refusal;
    for (const qint64 pid : ProcessTable::outermost(ids)) {
        QString error;
        if (ProcessTable::terminate(pid, &error))
            ++signalled;
        else if (!error.isEmpty())
            refusal = error;
    }
    // Nothing left to signal means the application is not running, which is what was asked.
    if (signalled == 0 && !refusal.isEmpty())
        co_return failure(QStringLiteral("Couldn't quit %1: %2\n").arg(entry->name, refusal));
    co_return ExecutionResult{};
}

QCoro::Task<ExecutionOutcome> SystemExecutor::runProcess(QString program, QStringList arguments,
                                                         double timeout, QObject *owner)
{
    qCDebug(lcSystemExecutor, "run %s %s", qUtf8Printable(OutsideText::forLog(program)),
            qUtf8Printable(OutsideText::forLog(arguments.join(u' '))));
    co_return co_await ProcessRunAwaiter(
        new ProcessRun(program, arguments, timeout, m_timings, owner));
}

ExecutionResult SystemExecutor::launchApplication(const QString &name) const
{
    qCDebug(lcSystemExecutor, "open %s", qUtf8Printable(OutsideText::forLog(name)));
    const auto entry = DesktopEntries::find(name);
    if (!entry)
        return unknownApplication(name);
    QString error;
    if (!DesktopEntries::launch(entry->id, {secretEnvironmentVariable}, &error))
        return failure(QStringLiteral("Couldn't open %1: %2\n").arg(entry->name, error));
    return ExecutionResult{};
}

} // namespace Quorvel

// Running a control's action on a device's request: the refusals, the choice of what runs, the
// run itself, its answer and record, and the re-check that brings the new state to every device.

#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "QuorvelCore/ObservedField.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"
#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/HostRefusals.h"
#include "QuorvelHostKit/Service/RunChoice.h"

#include <QPointer>

namespace Quorvel {

namespace {

QString runVerb(std::optional<bool> wanted)
{
    if (!wanted) {
        return QStringLiteral("Ran");
    }
    return *wanted ? QStringLiteral("Turned on") : QStringLiteral("Turned off");
}

} // namespace

QCoro::Task<> HostCoordinator::triggerAction(QString requestID, QString controlID,
                                             std::optional<bool> desiredState, QUuid client)
{
    const std::optional<Control> control = m_deck.control(controlID);
    if (!control) {
        m_server->send(Message(Message::Error{Message::ErrorCode::unknownControl, controlID}),
                       client);
        co_return;
    }
    const auto answer = [this, requestID, controlID, client](bool ok, const QString &output) {
        m_server->send(Message(Message::ActionResult{requestID, controlID, ok, output}), client);
    };
    if (m_runningControls.contains(control->id)) {
        answer(false, HostRefusals::stillRunning(control->title));
        co_return;
    }
    if (atRunLimit()) {
        answer(false, HostRefusals::tooManyRunning(m_hostName));
        co_return;
    }
    // Taken before the first wait, so that a second request meanwhile is refused.
    insertObserved(this, m_runningControls, control->id, &HostCoordinator::runningControlsChanged);
    const auto release = [this, id = control->id] {
        removeObserved(this, m_runningControls, id, &HostCoordinator::runningControlsChanged);
    };

    const QPointer<HostCoordinator> self(this);
    std::optional<bool> freshIsOn;
    if (control->type == ControlType::toggle) {
        // Checked even when a state is asked for, so that devices see the latest state.
        const std::optional<ControlState> fresh = co_await m_monitor->check(control->id);
        if (!self) {
            co_return;
        }
        freshIsOn = fresh ? fresh->isOn : std::nullopt;
    }
    const RunChoice choice = RunChoice::choose(*control, desiredState, freshIsOn);
    if (!choice.action) {
        answer(false, HostRefusals::nothingToRun());
        release();
        co_return;
    }

    m_monitor->setBusy(true, control->id);
    const Action &action = *choice.action;
    setLastLog(control->title + QStringLiteral(": ") + rawValue(action.type) + QLatin1Char(' ') +
               action.target);
    const ExecutionOutcome outcome = co_await m_executor->run(action);
    if (!self) {
        co_return;
    }

    const QString summary = runVerb(choice.wanted) + QLatin1Char(' ') + control->title;
    std::optional<bool> expected;
    if (const auto *result = std::get_if<ExecutionResult>(&outcome)) {
        const QString text = result->summary();
        qCInfo(lcHostCoordinator, "%s → %s: %s",
               qUtf8Printable(OutsideText::forLog(control->title)), result->ok() ? "ok" : "failed",
               qUtf8Printable(OutsideText::forLog(text)));
        addActivity(HostActivity::make(
            deviceName(client), summary,
            result->ok() ? HostActivity::Outcome::ok : HostActivity::Outcome::failed, text));
        answer(result->ok(), text);
        if (result->ok()) {
            expected = choice.wanted;
        }
    } else {
        const QString text = std::get<ExecutionError>(outcome).description();
        qCInfo(lcHostCoordinator, "%s → failed: %s",
               qUtf8Printable(OutsideText::forLog(control->title)),
               qUtf8Printable(OutsideText::forLog(text)));
        addActivity(
            HostActivity::make(deviceName(client), summary, HostActivity::Outcome::failed, text));
        answer(false, text);
    }

    // The control stays running until its new state is known, so a press meanwhile is refused.
    co_await m_monitor->recheckAfterRun(control->id, expected, m_options.recheckAttempts,
                                        m_options.recheckDelay);
    if (!self) {
        co_return;
    }
    // A control that a new deck removed meanwhile has no state to clear any more.
    if (m_deck.control(control->id)) {
        m_monitor->setBusy(false, control->id);
    }
    release();
}

QString HostCoordinator::deviceName(const QUuid &client) const
{
    return m_clients.name(client, QStringLiteral("a paired device"));
}

bool HostCoordinator::atRunLimit() const
{
    return m_runningControls.size() + m_runningTests >= maxRunningActions;
}

} // namespace Quorvel

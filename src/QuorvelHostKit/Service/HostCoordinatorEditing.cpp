// Requests of deck editors: the editing gate, trying an action or a status check, and replacing
// the whole deck.

#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Model/DeckValidator.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"
#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostRefusals.h"
#include "QuorvelHostKit/Service/HostSettings.h"

#include <QPointer>

namespace Quorvel {

namespace {

// How the problems of a tested action name it: the editor sends the action alone.
const QString testedActionLabel = QStringLiteral("test");

Message testResult(const QString &requestID, bool ok, const std::optional<QString> &output,
                   std::optional<bool> isOn = std::nullopt)
{
    return Message(Message::TestResult{requestID, ok, output, isOn});
}

} // namespace

bool HostCoordinator::mayEdit(const QUuid &client) const
{
    return m_allowDeckEditing || m_clients.isLocalEditor(client);
}

bool HostCoordinator::checkEditingAllowed(const QUuid &client)
{
    reloadDeckEditingSetting();
    if (mayEdit(client)) {
        return true;
    }
    m_server->send(Message(Message::Error{Message::ErrorCode::deckEditingDisabled,
                                          HostRefusals::editingOff(m_hostName)}),
                   client);
    return false;
}

QCoro::Task<> HostCoordinator::testAction(QString requestID, std::optional<Action> action,
                                          std::optional<StatusCheck> statusCheck, QUuid client)
{
    reloadDeckEditingSetting();
    if (!mayEdit(client)) {
        addActivity(HostActivity::make(
            deviceName(client), QStringLiteral("Refused a test: editing from other devices is off"),
            HostActivity::Outcome::failed));
        m_server->send(testResult(requestID, false, HostRefusals::editingOff(m_hostName)), client);
        co_return;
    }
    // An action is tested even when a status check comes with it.
    if (action) {
        co_await runTest(requestID, *action, client);
        co_return;
    }
    if (statusCheck) {
        const QPointer<HostCoordinator> self(this);
        const StatusOutcome outcome = co_await m_executor->status(*statusCheck);
        if (self) {
            m_server->send(testResult(requestID, true, outcome.detail, outcome.isOn), client);
        }
        co_return;
    }
    m_server->send(testResult(requestID, false, QStringLiteral("Nothing to test.")), client);
}

QCoro::Task<> HostCoordinator::runTest(QString requestID, Action action, QUuid client)
{
    // A tried action runs on this computer like a deck's, so it meets the same rules and the
    // same limit of runs at once.
    QStringList problems;
    DeckValidator::checkAction(action, QStringLiteral("action"), testedActionLabel, problems);
    if (!problems.isEmpty()) {
        const QString text = problems.join(QStringLiteral("; "));
        addActivity(HostActivity::make(deviceName(client),
                                       QStringLiteral("Refused a test: the action isn't valid"),
                                       HostActivity::Outcome::failed, text));
        m_server->send(testResult(requestID, false, text), client);
        co_return;
    }
    if (atRunLimit()) {
        m_server->send(testResult(requestID, false, HostRefusals::tooManyRunning(m_hostName)),
                       client);
        co_return;
    }

    const QString device = deviceName(client);
    const QString kind = rawValue(action.type);
    qCInfo(lcHostCoordinator, "Test run for %s: %s %s", qUtf8Printable(OutsideText::forLog(device)),
           qUtf8Printable(kind), qUtf8Printable(OutsideText::forLog(action.target)));
    setLastLog(QStringLiteral("Test from ") + device + QStringLiteral(": ") + kind +
               QLatin1Char(' ') + action.target);
    ++m_runningTests;
    const QPointer<HostCoordinator> self(this);
    const ExecutionOutcome outcome = co_await m_executor->run(action);
    if (!self) {
        co_return;
    }
    --m_runningTests;

    // The entry names the device that asked, also when it has gone while the action ran.
    const QString summary = QStringLiteral("Tried an action in the editor");
    if (const auto *result = std::get_if<ExecutionResult>(&outcome)) {
        const QString text = result->summary();
        addActivity(HostActivity::make(
            device, summary,
            result->ok() ? HostActivity::Outcome::ok : HostActivity::Outcome::failed, text));
        m_server->send(testResult(requestID, result->ok(), text), client);
    } else {
        const QString text = std::get<ExecutionError>(outcome).description();
        addActivity(HostActivity::make(device, summary, HostActivity::Outcome::failed, text));
        m_server->send(testResult(requestID, false, text), client);
    }
}

void HostCoordinator::updateDeck(const QString &requestID, const Deck &deck, const QUuid &client)
{
    const auto answer = [this, requestID, client](bool ok, const QStringList &problems) {
        m_server->send(Message(Message::DeckUpdateResult{requestID, ok, problems}), client);
    };
    reloadDeckEditingSetting();
    const QString device = deviceName(client);
    if (!mayEdit(client)) {
        qCInfo(lcHostCoordinator, "Refused deck update from %s: editing from other devices is off",
               qUtf8Printable(OutsideText::forLog(device)));
        addActivity(HostActivity::make(
            device,
            QStringLiteral("Refused changes to the actions: editing from other devices is off"),
            HostActivity::Outcome::failed));
        answer(false, {HostRefusals::editingOffWithHowTo(m_hostName, HostSettings::filePath())});
        return;
    }

    QStringList problems = DeckValidator::problems(deck);
    // The host escapes more than a device may have sent, so a deck that just fit in the
    // request could still be too large to reach the devices.
    if (const std::optional<QString> tooLarge = DeckStore::deckMessageProblem(deck)) {
        problems.append(*tooLarge);
    }
    if (!problems.isEmpty()) {
        addActivity(HostActivity::make(device, QStringLiteral("Refused changes to the actions"),
                                       HostActivity::Outcome::failed,
                                       problems.join(QLatin1Char(' '))));
        answer(false, problems);
        return;
    }

    QString error;
    if (!saveDeck(deck, device, &error)) {
        qCWarning(lcHostCoordinator, "Couldn't save the actions from %s: %s",
                  qUtf8Printable(OutsideText::forLog(device)), qUtf8Printable(error));
        addActivity(HostActivity::make(device, QStringLiteral("Couldn't save the actions"),
                                       HostActivity::Outcome::failed, error));
        answer(false, {QStringLiteral("Couldn't save the actions: ") + error});
        return;
    }
    qCInfo(lcHostCoordinator, "Deck replaced by %s", qUtf8Printable(OutsideText::forLog(device)));
    setLastLog(QStringLiteral("Actions updated by ") + device);
    addActivity(HostActivity::make(device, QStringLiteral("Changed the actions"),
                                   HostActivity::Outcome::ok));
    answer(true, {});
    applyDeck(deck);
}

} // namespace Quorvel

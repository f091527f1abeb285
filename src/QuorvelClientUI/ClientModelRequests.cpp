#include "QuorvelClientUI/CallerReply.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ConnectionWait.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QLocale>
#include <QUuid>

#include <algorithm>
#include <climits>
#include <cmath>

namespace Quorvel {

namespace {

// The longest wait a Qt timer can hold (its interval is an int of milliseconds).
constexpr double longestWaitMs = double(INT_MAX);

const QString unexpectedReply = QStringLiteral("Unexpected reply.");

std::chrono::milliseconds testTimeout(const Action &action, const ClientTimings &timings)
{
    if (!action.timeout || !std::isfinite(*action.timeout))
        return timings.testDefaultTimeout;
    const double total = std::clamp(*action.timeout * 1000.0 + double(timings.testMargin.count()),
                                    0.0, longestWaitMs);
    return std::chrono::milliseconds(qint64(total));
}

// What a try (or a status check) ends with, from the host's reply or its absence.
ClientTestOutcome testOutcome(const std::optional<Message> &reply, bool isCheck)
{
    if (!reply)
        return ClientTestOutcome::failed(ClientModel::noAnswerFromTheHost);
    const auto *result = reply->as<Message::TestResult>();
    if (!result)
        return ClientTestOutcome::failed(unexpectedReply);
    if (!isCheck)
        return ClientTestOutcome::action(result->ok, result->output.value_or(QString()));
    if (!result->ok)
        return ClientTestOutcome::failed(result->output.value_or(QStringLiteral("failed")));
    return ClientTestOutcome::statusCheck(result->isOn, result->output.value_or(QString()));
}

// What a deck update ends with, at once, when it is larger than one message on the link.
QString tooLargeToSend(qint64 size, qint64 limit)
{
    const QLocale locale;
    return QStringLiteral("These actions are too large to send: %1 bytes, more than the %2 bytes "
                          "the host takes in one message.")
        .arg(locale.toString(size), locale.toString(limit));
}

} // namespace

QStringList ClientModel::pendingRequestIDs() const
{
    QStringList ids;
    for (const auto &entry : m_pendingReplies)
        ids.append(entry.first);
    return ids;
}

void ClientModel::request(const std::function<Message(const QString &requestID)> &build,
                          std::chrono::milliseconds timeout, ReplyHandler onReply,
                          const std::optional<QString> &runControlID)
{
    const QString requestID = Message::newRequestID();
    // Without a link that takes the request nothing can answer it: no reply, at once.
    if (!m_connection || !m_connection->send(build(requestID))) {
        onReply(std::nullopt);
        return;
    }
    m_pendingReplies.emplace(requestID, PendingReply{std::move(onReply), runControlID});
    emit pendingRepliesChanged();
    // Precise: a coarse timer of this length may fire a few seconds before the promised time.
    QTimer::singleShot(timeout, Qt::PreciseTimer, this,
                       [this, requestID] { resumeReply(requestID, std::nullopt); });
}

void ClientModel::resumeReply(const QString &requestID, const std::optional<Message> &reply)
{
    const auto found = m_pendingReplies.find(requestID);
    if (found == m_pendingReplies.end())
        return;
    const ReplyHandler handler = std::move(found->second.handler);
    m_pendingReplies.erase(found);
    emit pendingRepliesChanged();
    handler(reply);
}

void ClientModel::failPendingReplies()
{
    if (m_pendingReplies.empty())
        return;
    std::map<QString, PendingReply> taken;
    taken.swap(m_pendingReplies);
    emit pendingRepliesChanged();
    for (auto &entry : taken)
        entry.second.handler(std::nullopt);
}

bool ClientModel::endRunsOfUnknownControl(const QString &controlID, const Message &refusal)
{
    QStringList ended;
    for (const auto &entry : m_pendingReplies) {
        if (entry.second.runControlID == controlID)
            ended.append(entry.first);
    }
    for (const QString &requestID : std::as_const(ended))
        resumeReply(requestID, refusal);
    return !ended.isEmpty();
}

QString ClientModel::hostNameForNotices() const
{
    return m_hostInfo ? m_hostInfo->hostName : QStringLiteral("the host");
}

void ClientModel::runControl(const QString &controlID, std::optional<bool> desiredState,
                             QObject *context, std::function<void(RunOutcome)> onDone)
{
    const CallerReply answer(context, std::move(onDone));
    const QString unknownAction = QStringLiteral("There's no action ") + controlID +
                                  QStringLiteral(" on ") + hostNameForNotices() +
                                  QStringLiteral(".");
    // The host answers an id its deck lacks with an error, never with a result: answer from
    // the deck in hand instead of waiting for a reply that cannot come.
    if (m_deck && !m_deck->control(controlID)) {
        answer(RunOutcome{false, unknownAction});
        return;
    }
    insertPendingControl(controlID);
    const auto build = [controlID, desiredState](const QString &requestID) {
        return Message(Message::TriggerAction{requestID, controlID, desiredState});
    };
    request(
        build, m_timings.runTimeout,
        [this, controlID, unknownAction, answer](const std::optional<Message> &reply) {
            RunOutcome outcome{false, unexpectedReply};
            if (!reply) {
                removePendingControl(controlID);
                outcome.message =
                    QStringLiteral("No answer from ") + hostNameForNotices() + QStringLiteral(".");
            } else if (const auto *result = reply->as<Message::ActionResult>()) {
                outcome.ok = result->ok;
                outcome.message = result->output.value_or(result->ok ? QStringLiteral("ok")
                                                                     : QStringLiteral("failed"));
            } else if (const auto *error = reply->as<Message::Error>();
                       error && error->code == Message::ErrorCode::unknownControl) {
                outcome.message = unknownAction;
            }
            answer(outcome);
        },
        controlID);
}

void ClientModel::test(const Action &action, QObject *context,
                       std::function<void(TestOutcome)> onDone)
{
    const auto build = [action](const QString &requestID) {
        return Message(Message::Test{requestID, action, std::nullopt});
    };
    request(build, testTimeout(action, m_timings),
            [answer = CallerReply(context, std::move(onDone))](
                const std::optional<Message> &reply) { answer(testOutcome(reply, false)); });
}

void ClientModel::check(const StatusCheck &statusCheck, QObject *context,
                        std::function<void(TestOutcome)> onDone)
{
    const auto build = [statusCheck](const QString &requestID) {
        return Message(Message::Test{requestID, std::nullopt, statusCheck});
    };
    request(build, m_timings.checkTimeout,
            [answer = CallerReply(context, std::move(onDone))](
                const std::optional<Message> &reply) { answer(testOutcome(reply, true)); });
}

void ClientModel::updateDeck(const Deck &deck, QObject *context,
                             std::function<void(QStringList)> onDone)
{
    const auto build = [deck](const QString &requestID) {
        return Message(Message::UpdateDeck{requestID, deck});
    };
    const CallerReply answer(context, std::move(onDone));
    // The link would refuse to send it and the host would never answer: say so now. Every
    // request id has the same length, so this one measures the message that would go.
    if (const std::optional<QByteArray> bytes = WireCodec::encode(build(Message::newRequestID()));
        bytes && bytes->size() > LinkParameters::maxMessageSize) {
        answer(QStringList{tooLargeToSend(bytes->size(), LinkParameters::maxMessageSize)});
        return;
    }
    request(build, m_timings.deckUpdateTimeout, [answer](const std::optional<Message> &reply) {
        QStringList problems{unexpectedReply};
        if (!reply) {
            problems = {noAnswerFromTheHost};
        } else if (const auto *result = reply->as<Message::DeckUpdateResult>()) {
            if (result->ok)
                problems.clear();
            else if (!result->problems.isEmpty())
                problems = result->problems;
            else
                problems = {QStringLiteral("The host refused the changes.")};
        }
        answer(problems);
    });
}

void ClientModel::waitUntilConnected(std::chrono::milliseconds timeout, QObject *context,
                                     std::function<void(bool)> onDone)
{
    start();
    auto *wait = new ConnectionWait([this] { return isConnected() && m_deck.has_value(); }, timeout,
                                    context, std::move(onDone), this);
    QObject::connect(this, &ClientModel::statusChanged, wait, &ConnectionWait::recheck);
    QObject::connect(this, &ClientModel::deckChanged, wait, &ConnectionWait::recheck);
    wait->begin();
}

void ClientModel::waitUntilReady(std::chrono::milliseconds timeout, QObject *context,
                                 std::function<void(bool)> onDone)
{
    start();
    auto *wait = new ConnectionWait(
        [this] { return isConnected() && m_deck.has_value() && m_statesArrived; }, timeout, context,
        std::move(onDone), this);
    QObject::connect(this, &ClientModel::statusChanged, wait, &ConnectionWait::recheck);
    QObject::connect(this, &ClientModel::deckChanged, wait, &ConnectionWait::recheck);
    QObject::connect(this, &ClientModel::statesArrivedChanged, wait, &ConnectionWait::recheck);
    wait->begin();
}

} // namespace Quorvel

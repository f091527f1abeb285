#include "Quorvel/Outside/ActionsBusService.h"

#include "Quorvel/Outside/ActionRunner.h"

#include <QDBusError>
#include <QDBusMetaType>

namespace Quorvel {

namespace {

QDBusMessage errorReply(const QDBusMessage &call, const ActionIntentError &error)
{
    return call.createErrorReply(error.dbusName(), error.text);
}

// Held by the handler of one waiting call; the call stops counting when the last copy goes.
struct WaitingToken {
    explicit WaitingToken(std::shared_ptr<int> count) : count(std::move(count)) { ++*this->count; }
    ~WaitingToken() { --*count; }
    WaitingToken(const WaitingToken &) = delete;
    WaitingToken &operator=(const WaitingToken &) = delete;

    std::shared_ptr<int> count;
};

} // namespace

ActionsBusService::ActionsBusService(ActionRunner *runner, QObject *parent)
    : QObject(parent), m_runner(runner)
{
    qDBusRegisterMetaType<ActionEntity>();
    qDBusRegisterMetaType<QList<ActionEntity>>();
    // The first deck of a session is no change; every later one is.
    connect(runner->model(), &ClientModel::deckChanged, this, [this] {
        if (m_runner->model()->deck())
            emit ActionsChanged();
    });
}

bool ActionsBusService::registerOn(QDBusConnection connection)
{
    return connection.registerObject(
        objectPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
}

std::shared_ptr<const void> ActionsBusService::admitCall()
{
    if (*m_waiting >= maxWaitingCalls) {
        sendErrorReply(QDBusError::LimitsExceeded,
                       QStringLiteral("Too many calls are waiting for the host (%1): try again "
                                      "once some have been answered.")
                           .arg(maxWaitingCalls));
        return nullptr;
    }
    return std::make_shared<const WaitingToken>(m_waiting);
}

QDBusMessage ActionsBusService::delayReply()
{
    setDelayedReply(true);
    return message();
}

QString ActionsBusService::runLater(const QString &id, std::optional<bool> desiredState)
{
    const std::shared_ptr<const void> waiting = admitCall();
    if (!waiting)
        return QString();
    const QDBusMessage call = delayReply();
    QDBusConnection bus = connection();
    // The handler holds the token: the call counts as waiting until the handler is done.
    m_runner->runAction(
        id, desiredState, this, [call, bus, waiting](const ActionRunner::Ran &ran) mutable {
            bus.send(ran.error ? errorReply(call, *ran.error) : call.createReply(ran.text));
        });
    return QString();
}

QString ActionsBusService::Run(const QString &id)
{
    return runLater(id, std::nullopt);
}

QString ActionsBusService::TurnOn(const QString &id)
{
    return runLater(id, true);
}

QString ActionsBusService::TurnOff(const QString &id)
{
    return runLater(id, false);
}

bool ActionsBusService::IsOn(const QString &id)
{
    const std::shared_ptr<const void> waiting = admitCall();
    if (!waiting)
        return false;
    const QDBusMessage call = delayReply();
    QDBusConnection bus = connection();
    m_runner->findAction(id, this, [call, bus, waiting](const ActionRunner::Found &found) mutable {
        if (found.error) {
            bus.send(errorReply(call, *found.error));
            return;
        }
        bus.send(call.createReply(found.state && found.state->isOn.value_or(false)));
    });
    return false;
}

QString ActionsBusService::GetValue(const QString &id, QString &dialog)
{
    const std::shared_ptr<const void> waiting = admitCall();
    if (!waiting)
        return QString();
    const QDBusMessage call = delayReply();
    QDBusConnection bus = connection();
    m_runner->findAction(id, this, [call, bus, waiting](const ActionRunner::Found &found) mutable {
        if (found.error) {
            bus.send(errorReply(call, *found.error));
            return;
        }
        const QString value = ActionRunner::valueText(found.state);
        const QString said = ActionEntity::from(*found.control).title + QStringLiteral(": ") +
                             (value.isEmpty() ? QStringLiteral("no value yet") : value);
        bus.send(call.createReply({value, said}));
    });
    dialog.clear();
    return QString();
}

QList<ActionEntity> ActionsBusService::ListActions()
{
    return ActionEntity::list(m_runner->model()->visibleDeck());
}

QList<ActionEntity> ActionsBusService::ActionsByIds(const QStringList &ids)
{
    return ActionEntity::withIDs(m_runner->model()->visibleDeck(), ids);
}

QList<ActionEntity> ActionsBusService::SearchActions(const QString &text)
{
    return ActionEntity::matching(m_runner->model()->visibleDeck(), text);
}

} // namespace Quorvel

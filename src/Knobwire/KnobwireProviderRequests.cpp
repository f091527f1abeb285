// The traffic of ready sessions: consumers' requests in, the owner's control changes out.

#include "Knobwire/KnobwireProvider.h"

#include "Knobwire/Clip.h"
#include "Knobwire/KnobwireLogging.h"
#include "Knobwire/KnobwireProviderSession.h"
#include "Knobwire/Limits.h"
#include "Knobwire/ProviderRules.h"
#include "Knobwire/Sanitize.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

QString noControlText(const QString &id)
{
    return u"No control \""_s + id + u"\""_s;
}

QString noMeterText(const QString &id)
{
    return u"No meter \""_s + id + u"\""_s;
}

} // namespace

void KnobwireProvider::handleTurn(const Message::Turn &turn, Session *session)
{
    const Control *target = control(turn.id);
    if (!target) {
        session->connection->send(Message::error(noControlText(turn.id)));
        return;
    }
    if (!target->canTurn()) {
        return;
    }
    Turn request{
        .id = turn.id, .value = std::nullopt, .steps = std::nullopt, .from = *session->peer};
    if (target->kind == Control::Kind::level) {
        if (!turn.value) {
            return;
        }
        request.value = limitedLevel(*turn.value);
    } else {
        if (!turn.steps || *turn.steps == 0) {
            return;
        }
        request.steps = turn.steps;
    }
    m_echoDue.insert(turn.id);
    if (onTurn) {
        onTurn(request);
    }
}

void KnobwireProvider::handlePress(const Message::Press &press, Session *session)
{
    const Control *target = control(press.id);
    if (!target) {
        session->connection->send(Message::error(noControlText(press.id)));
        return;
    }
    // Read-only does not matter here: pressing is how a consumer asks to act on a control,
    // and the owner decides what a press on a read-only control means.
    if (!target->kind.isPressable()) {
        return;
    }
    m_echoDue.insert(press.id);
    if (onPress) {
        onPress(Press{.id = press.id, .down = press.down, .from = *session->peer});
    }
}

void KnobwireProvider::handleMeterSubscribe(const Message::MeterSubscribe &request,
                                            Session *session)
{
    const Control *target = control(request.id);
    if (!target || target->kind != Control::Kind::meter) {
        session->connection->send(Message::error(noMeterText(request.id)));
        return;
    }
    if (request.on) {
        session->subscriptions.insert(request.id);
    } else {
        session->subscriptions.remove(request.id);
    }
    refreshWatchedMeters();
}

void KnobwireProvider::refreshWatchedMeters()
{
    QSet<QString> watched;
    for (const Session *session : std::as_const(m_sessions)) {
        watched.unite(session->subscriptions);
    }
    if (watched == m_watchedMeters) {
        return;
    }
    m_watchedMeters = watched;
    if (onWatchedMetersChange) {
        onWatchedMetersChange(m_watchedMeters);
    }
}

void KnobwireProvider::setControls(const QList<Control> &controls)
{
    m_controls = sanitize(controls);
    QSet<QString> ids;
    QSet<QString> meterIds;
    for (const Control &control : std::as_const(m_controls)) {
        ids.insert(control.id);
        if (control.kind == Control::Kind::meter) {
            meterIds.insert(control.id);
        }
    }
    m_echoDue.intersect(ids);
    const Message list = controlsMessage();
    const QList<QPointer<Session>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const QPointer<Session> &session : sessions) {
        if (!session || !session->ready || session->connection->closed()) {
            continue;
        }
        session->connection->send(list);
        session->subscriptions.intersect(meterIds);
    }
    refreshWatchedMeters();
}

Message KnobwireProvider::controlsMessage() const
{
    const qsizetype fitting = controlsThatFit(m_controls);
    if (fitting < m_controls.size()) {
        qCCritical(lcKnobwireProvider,
                   "Offering %lld of %lld controls: with the rest, their line would be longer than "
                   "consumers read",
                   static_cast<long long>(fitting), static_cast<long long>(m_controls.size()));
    }
    return Message::controls(m_controls.first(fitting));
}

void KnobwireProvider::update(const QString &id, std::optional<double> value,
                              std::optional<QString> text, std::optional<bool> on)
{
    Update change{.id = id, .value = value, .text = std::nullopt, .on = on, .name = std::nullopt};
    if (text) {
        change.text.emplace(std::move(*text));
    }
    push(change);
}

void KnobwireProvider::clearText(const QString &id)
{
    Update change{.id = id};
    // An engaged change holding no text is the explicit clear.
    change.text.emplace(std::nullopt);
    push(change);
}

void KnobwireProvider::push(const Update &update)
{
    Control *target = control(update.id);
    if (!target) {
        return;
    }
    const Control before = *target;
    target->apply(update);
    const Update outgoing = outgoingUpdate(before, *target, m_echoDue.remove(update.id));
    if (!outgoing.isEmpty()) {
        sendToReady(Message::update(outgoing));
    }
}

void KnobwireProvider::rename(const QString &id, const QString &name)
{
    const QString clipped = clip(name, Limits::maxName);
    Control *target = control(id);
    if (clipped.isEmpty() || !target || target->name == clipped) {
        return;
    }
    target->name = clipped;
    sendToReady(Message::update(Update{.id = id, .name = clipped}));
}

void KnobwireProvider::meter(const QString &id, const QList<double> &levels)
{
    if (!m_watchedMeters.contains(id) || levels.isEmpty()) {
        return;
    }
    const Message message = Message::meter(id, meterLevels(levels));
    const QList<QPointer<Session>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const QPointer<Session> &session : sessions) {
        if (session && session->ready && session->subscriptions.contains(id)) {
            session->connection->send(message);
        }
    }
}

void KnobwireProvider::sendToReady(const Message &message)
{
    // A send can close a session whose queue is full, which changes the list under the loop.
    const QList<QPointer<Session>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const QPointer<Session> &session : sessions) {
        if (session && session->ready) {
            session->connection->send(message);
        }
    }
}

Control *KnobwireProvider::control(const QString &id)
{
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [&id](const Control &control) { return control.id == id; });
    return found == m_controls.end() ? nullptr : &*found;
}

} // namespace Knobwire

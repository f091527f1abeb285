#include "QuorvelHostKit/Execution/StateMonitor.h"

#include "QuorvelHostKit/Execution/PreciseSleep.h"
#include "QuorvelHostKit/Execution/StatePoller.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"
#include "QuorvelHostKit/Execution/TimerLimits.h"
#include "QuorvelHostKit/HostKitLogging.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Model/CanonicalText.h"

#include <QSet>

namespace Quorvel {

namespace {

QString onText(const std::optional<bool> &isOn)
{
    if (!isOn)
        return QStringLiteral("nil");
    return *isOn ? QStringLiteral("Optional(true)") : QStringLiteral("Optional(false)");
}

// Whether a fresh check tells something new: only the on/off state and the detail count, so a
// steady state costs no reports.
bool hasChanged(const std::optional<ControlState> &previous, const ControlState &fresh)
{
    if (!previous)
        return fresh.isOn.has_value() || fresh.detail.has_value();
    return previous->isOn != fresh.isOn || !sameText(previous->detail, fresh.detail);
}

// Whether two status checks ask the same question; how often they are asked does not matter.
bool asksTheSame(const StatusCheck &a, const StatusCheck &b)
{
    return a.type == b.type && sameText(a.target, b.target) && sameText(a.control, b.control);
}

} // namespace

StateMonitor::StateMonitor(SystemExecutor *executor, const Deck &deck, double defaultInterval,
                           QObject *parent)
    : QObject(parent), m_executor(executor), m_defaultInterval(defaultInterval), m_deck(deck),
      m_now([] { return QDateTime::currentDateTimeUtc(); })
{
    indexDeck();
}

void StateMonitor::indexDeck()
{
    m_index.clear();
    // Walked backwards so that the first control of an id is the one that stays.
    for (qsizetype i = qsizetype(m_deck.controls.size()) - 1; i >= 0; --i)
        m_index.insert(canonicalText(m_deck.controls[size_t(i)].id), i);
    m_exactIndex.clear();
    for (const Control &control : m_deck.controls)
        m_exactIndex.insert(control.id, m_index.value(canonicalText(control.id)));
}

const Control *StateMonitor::control(const QString &id) const
{
    const auto exact = m_exactIndex.constFind(id);
    if (exact != m_exactIndex.cend())
        return &m_deck.controls[size_t(*exact)];
    const auto found = m_index.constFind(canonicalText(id));
    return found == m_index.cend() ? nullptr : &m_deck.controls[size_t(*found)];
}

StateMonitor::~StateMonitor() = default;

void StateMonitor::startPolling(ChangeHandler onChange)
{
    m_onChange = std::move(onChange);
    for (const Control &control : m_deck.controls) {
        if (!control.statusCheck)
            continue;
        delete m_pollers.take(control.id);
        const double interval = control.statusCheck->interval.value_or(m_defaultInterval);
        auto *poller = new StatePoller(this, control.id,
                                       std::chrono::milliseconds(timerMilliseconds(interval)));
        m_pollers.insert(control.id, poller);
        poller->start();
    }
}

void StateMonitor::stop()
{
    qDeleteAll(m_pollers);
    m_pollers.clear();
}

void StateMonitor::update(const Deck &deck)
{
    stop();
    m_deck = deck;
    indexDeck();
    stopDroppedChecks();
    QSet<QString> ids;
    for (const Control &control : m_deck.controls)
        ids.insert(canonicalText(control.id));
    m_states.removeIf(
        [&ids](const auto &entry) { return !ids.contains(canonicalText(entry.key())); });
    if (m_onChange)
        startPolling(m_onChange);
}

bool StateMonitor::stillAsks(const QString &id, const StatusCheck &check) const
{
    const Control *current = control(id);
    return current && current->statusCheck && asksTheSame(*current->statusCheck, check);
}

void StateMonitor::stopDroppedChecks()
{
    // Their answers would describe nothing in force; a slow check left running would pile up
    // with the next deck's. Deleting the owner stops the program and resumes the check.
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (stillAsks(it->id, it->check)) {
            ++it;
            continue;
        }
        delete it.key();
        it = m_running.erase(it);
    }
}

QList<ControlState> StateMonitor::allStates() const
{
    QList<ControlState> states;
    for (const Control &control : m_deck.controls) {
        const auto found = m_states.constFind(control.id);
        if (found != m_states.cend())
            states.append(*found);
    }
    return states;
}

void StateMonitor::setBusy(bool busy, const QString &id)
{
    ControlState state =
        m_states.value(id, ControlState{id, std::nullopt, std::nullopt, false, {}});
    state.isBusy = busy;
    state.checkedAt = m_now();
    m_states.insert(id, state);
    if (m_onChange)
        m_onChange({state});
}

QCoro::Task<std::optional<ControlState>> StateMonitor::check(QString id)
{
    const Control *control = this->control(id);
    if (!control || !control->statusCheck || !m_executor)
        co_return std::nullopt;

    QPointer<StateMonitor> self(this);
    const StatusCheck statusCheck = *control->statusCheck;
    // The program's owner: a child, so that the program also ends when the monitor goes.
    const QPointer<QObject> owner = new QObject(this);
    m_running.insert(owner.data(), RunningCheck{id, statusCheck});
    const StatusOutcome outcome = co_await m_executor->status(statusCheck, owner.data());
    if (!self)
        co_return std::nullopt;
    if (owner) {
        m_running.remove(owner.data());
        delete owner.data();
    }
    // The deck may have been replaced while the check ran. An answer for an action that has gone,
    // or whose check now asks something else, describes nothing in force: it is neither stored
    // nor reported.
    if (!stillAsks(id, statusCheck))
        co_return std::nullopt;

    // Read after the wait, so that a busy mark set while the check ran survives it.
    const auto found = m_states.constFind(id);
    const std::optional<ControlState> previous =
        found == m_states.cend() ? std::nullopt : std::optional(*found);
    const ControlState fresh{id, outcome.isOn, outcome.detail, previous && previous->isBusy,
                             m_now()};
    m_states.insert(id, fresh);
    if (hasChanged(previous, fresh))
        report(fresh);
    co_return fresh;
}

QCoro::Task<> StateMonitor::recheck(QString app)
{
    const Deck deck = m_deck;
    QPointer<StateMonitor> self(this);
    for (const Control &control : deck.controls) {
        if (!control.statusCheck || control.statusCheck->type != StatusCheck::Kind::appControl ||
            control.statusCheck->target != app)
            continue;
        co_await check(control.id);
        if (!self)
            co_return;
    }
}

QCoro::Task<> StateMonitor::recheckAfterRun(QString id, std::optional<bool> expected, int attempts,
                                            double delay)
{
    const Control *control = this->control(id);
    if (!control || !control->statusCheck)
        co_return;

    const int checks = expected ? attempts : 1;
    const auto pause = std::chrono::milliseconds(timerMilliseconds(delay));
    QPointer<StateMonitor> self(this);
    for (int attempt = 0; attempt < checks; ++attempt) {
        const std::optional<ControlState> state = co_await check(id);
        if (!self || attempt + 1 == checks)
            co_return;
        if (expected && state && state->isOn == expected)
            co_return;
        co_await preciseSleep(pause);
        if (!self)
            co_return;
    }
}

void StateMonitor::report(const ControlState &state)
{
    qCDebug(lcStateMonitor, "%s: on=%s detail=%s", qUtf8Printable(OutsideText::forLog(state.id)),
            qUtf8Printable(onText(state.isOn)),
            qUtf8Printable(OutsideText::forLog(state.detail.value_or(QStringLiteral("-")))));
    if (m_onChange)
        m_onChange({state});
}

} // namespace Quorvel

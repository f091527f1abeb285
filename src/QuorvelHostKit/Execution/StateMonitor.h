#pragma once

#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/Deck.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

#include <qcoro/qcorotask.h>

namespace Quorvel {

class StatePoller;
class SystemExecutor;

// Keeps the live state of every action of the deck in force: polls each status check on its own
// schedule, marks actions busy while they run, checks again after a run and reports every state
// whose on/off state or detail changed (busy marks always) to one change handler. Used from the
// main thread; checks of different actions, and of the same one, may overlap. A check's program
// ends, with everything it started, when nothing is left to take its answer: when the monitor is
// destroyed, or a new deck drops the check.
class StateMonitor : public QObject {
    Q_OBJECT

public:
    using ChangeHandler = std::function<void(const QList<ControlState> &)>;
    using Clock = std::function<QDateTime()>;

    // defaultInterval: seconds between checks of a status check that sets no interval.
    StateMonitor(SystemExecutor *executor, const Deck &deck, double defaultInterval,
                 QObject *parent = nullptr);
    ~StateMonitor() override;

    // Gives the moment a state is stored; the current time unless a test says otherwise.
    void setClock(Clock clock) { m_now = std::move(clock); }

    // Stores the handler and starts one poller per action with a status check.
    void startPolling(ChangeHandler onChange);
    // Cancels every poller; states, deck and handler stay, and checks already running still store
    // their answers.
    void stop();
    // Puts a new deck in force: drops the states of actions it lacks, stops the running checks of
    // those actions and of checks that now ask something else, and restarts polling when a
    // handler was given.
    void update(const Deck &deck);

    // The stored states in deck order; actions never checked nor marked are left out.
    QList<ControlState> allStates() const;

    // Marks an action busy or idle and reports it, changed or not.
    void setBusy(bool busy, const QString &id);

    // Runs the action's status check and stores the result; none when the action is unknown or
    // has no status check, and when a new deck removed the action or changed its check meanwhile.
    QCoro::Task<std::optional<ControlState>> check(QString id);
    // Checks, one after another, the actions whose app_control check reads the application app.
    QCoro::Task<> recheck(QString app);
    // Checks an action after a run: once when no state is expected, else up to attempts times,
    // delay seconds apart, until it shows the expected state.
    QCoro::Task<> recheckAfterRun(QString id, std::optional<bool> expected, int attempts,
                                  double delay);

private:
    // A check whose program runs; it is stopped when its owner, a child of the monitor, goes.
    struct RunningCheck {
        QString id;
        StatusCheck check;
    };

    void report(const ControlState &state);
    // Whether the deck in force still asks check of the action id.
    bool stillAsks(const QString &id, const StatusCheck &check) const;
    void stopDroppedChecks();
    // The first control canonically equal to id, as Deck::control finds it, through an index:
    // every poll looks its control up.
    const Control *control(const QString &id) const;
    void indexDeck();

    QPointer<SystemExecutor> m_executor;
    double m_defaultInterval;
    Deck m_deck;
    QHash<QString, qsizetype> m_index;
    // The same by an id exactly as the deck spells it, which is how pollers ask: no
    // normalisation per poll.
    QHash<QString, qsizetype> m_exactIndex;
    QHash<QString, ControlState> m_states;
    QHash<QString, StatePoller *> m_pollers;
    QHash<QObject *, RunningCheck> m_running;
    ChangeHandler m_onChange;
    Clock m_now;
};

} // namespace Quorvel

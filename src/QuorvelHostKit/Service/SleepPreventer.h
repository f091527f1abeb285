#pragma once

#include "Platform/Power/IdleInhibitor.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace Quorvel {

// Keeps the machine from idle sleep while the host is meant to stay reachable, through every
// idle inhibitor its owner gives it (on this system logind's lock and GNOME's); sleep that the
// user asks for still happens. The locks are granted later, on the event loop: whether one is
// really held is told apart from the wish. One owner, one thread.
class SleepPreventer : public QObject {
    Q_OBJECT

public:
    // What the desktop shows as the reason for the lock, and whose lock it is.
    static constexpr char reason[] =
        "Quorvel keeps this computer awake so your devices can reach it";
    static constexpr char who[] = "Quorvel";

    explicit SleepPreventer(std::vector<std::unique_ptr<IdleInhibitor>> inhibitors,
                            QObject *parent = nullptr);
    ~SleepPreventer() override;

    // On asks every inhibitor that neither holds a lock nor waits for one (never a second
    // lock); off gives up every lock and every answer still to come. When every inhibitor has
    // refused while on is wished, that is logged once with the reasons, and the next call with
    // true asks again.
    void setActive(bool active);
    bool isWanted() const { return m_wanted; }
    // Whether at least one lock is held now.
    bool isActive() const { return !heldLocks().isEmpty(); }
    // The names of the inhibitors that hold a lock now, in the given order.
    QStringList heldLocks() const;
    // Whether an answer is still to come.
    bool isAsking() const;
    // Why no lock is held although one is wished, once every inhibitor has answered; empty
    // otherwise.
    QString problem() const;

signals:
    // isActive() changed.
    void activeChanged(bool active);
    // A lock was granted or refused, so problem() may read differently.
    void answerArrived();

private:
    enum class State { released, asking, held, refused };
    struct Slot {
        std::unique_ptr<IdleInhibitor> inhibitor;
        State state = State::released;
        QString refusal;
    };

    void answered(std::size_t index, bool held, const QString &refusal);
    // Logs why no lock is held, once per wish, when every inhibitor has answered without one.
    void tellIfNoLock();
    // problem() for a log line, each refusal escaped as outside text.
    QString logText() const;

    std::vector<Slot> m_slots;
    bool m_wanted = false;
    // The wish without a lock has been logged; cleared when the wish ends.
    bool m_toldNoLock = false;
};

} // namespace Quorvel

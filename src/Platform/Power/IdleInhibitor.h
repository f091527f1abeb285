#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace Quorvel {

// One way to keep this computer from suspending while nobody uses it. Sleep that the user asks
// for still happens, and the display may still turn off. Asking takes a round trip to a system
// service, so the answer comes later, on the event loop. One owner, one thread.
class IdleInhibitor {
public:
    // The answer to acquire(): whether the lock is held, and if not why.
    using Answer = std::function<void(bool held, const QString &reason)>;

    virtual ~IdleInhibitor() = default;

    // What it is called in logs and in the diagnostic report, for example "logind".
    virtual QString name() const = 0;

    // Asks for the lock in the name of who, with why as the reason the desktop may show.
    // answer is called exactly once, later (never from within this call), unless release() or
    // the inhibitor's end comes first. Called only while no lock is held or asked for.
    virtual void acquire(const QString &who, const QString &why, Answer answer) = 0;

    // Gives up the lock, or the answer still to come: a lock granted after this is given up at
    // once. No answer follows.
    virtual void release() = 0;

    // The inhibitors of this system: logind's idle lock and, on GNOME, its session manager's.
    static std::vector<std::unique_ptr<IdleInhibitor>> forThisSystem();
};

} // namespace Quorvel

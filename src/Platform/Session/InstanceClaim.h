#pragma once

#include <QDBusConnection>
#include <QLockFile>
#include <QString>

#include <memory>

namespace Quorvel {

// One running copy per session. The copy that owns the well-known name on the session bus is the
// one that runs; the name is asked for without queueing, so of two copies started together
// exactly one gets it and the other learns at once that it lost. Without a session bus a lock
// file in the runtime folder decides instead.
class InstanceClaim {
public:
    enum class Outcome {
        // This copy owns the name (or the lock): it runs.
        primary,
        // Another copy owns it: this one hands its request over and ends.
        secondary,
        // Neither the name nor the lock could be had for another reason: this copy runs alone.
        unavailable,
    };

    // lockPath is used only without a session bus; empty means
    // "<runtime folder>/<busName>.lock".
    InstanceClaim(QDBusConnection bus, QString busName, QString lockPath = {});
    ~InstanceClaim();

    Outcome claim();
    // Gives the name (or the lock) up, so that another copy can take it.
    void release();
    // Whether a bus decided (else a lock file did).
    bool usesBus() const { return m_bus.isConnected(); }
    const QString &busName() const { return m_busName; }

private:
    QDBusConnection m_bus;
    QString m_busName;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace Quorvel

#pragma once

#include "Platform/Session/LoginAgentUnit.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QDBusServiceWatcher;

namespace Quorvel {

// A copy started by hand while start at login is on gives way to the login agent, so that the
// copy that runs is always the agent. It starts the agent's unit and waits until the agent owns
// the program's bus name; only then has the hand-over happened. An agent that does not come up
// (its unit names a program that is gone, it fails at once) leaves this copy running, and the
// guard keeps any copy from trying again within a minute.
class AgentHandover : public QObject {
    Q_OBJECT

public:
    // The time of the last hand-over that was tried.
    static inline const QString lastHandoverKey = QStringLiteral("Quorvel.lastAgentHandover");
    // No copy hands over twice within this time, so a failing agent cannot start a loop.
    static constexpr std::chrono::seconds guardInterval{60};
    // The agent starts in well under a second; a slower one counts as failed.
    static constexpr std::chrono::milliseconds defaultAgentWait{10000};

    struct Options {
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
        std::chrono::milliseconds agentWait = defaultAgentWait;
        // Whether this process is the agent itself.
        bool isAgent = LoginAgentUnit::isRunningAsAgent();
    };

    AgentHandover(const LoginAgentUnit &unit, Options options, QObject *parent = nullptr);
    ~AgentHandover() override;

    // Whether to hand over now: start at login is enabled, this is not the agent, and no
    // hand-over was tried within the guard interval. When it says yes it records the time first,
    // so a hand-over that then fails blocks the next one too.
    bool shouldHandOver();
    // Starts the agent and waits for busName to get an owner on bus. Ends with finished().
    void start(const QDBusConnection &bus, const QString &busName);

signals:
    // True once the agent owns the bus name; false when it could not be started or did not come
    // up in time (logged).
    void finished(bool handedOver);

private:
    void finish(bool handedOver, const QString &why = {});

    const LoginAgentUnit &m_unit;
    Options m_options;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    QTimer m_timeout;
    bool m_waiting = false;
};

} // namespace Quorvel

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>

namespace Quorvel {

// One caller waiting until a condition holds or its time is up, measured on the monotonic clock.
// It answers exactly once, on the event loop, unless the caller's context is gone by then; when
// the wait itself is destroyed first (its owner went away) it answers false.
class ConnectionWait : public QObject {
    Q_OBJECT
public:
    ConnectionWait(std::function<bool()> isReady, std::chrono::milliseconds timeout,
                   std::chrono::milliseconds pollInterval, QObject *context,
                   std::function<void(bool)> onDone, QObject *owner);
    ~ConnectionWait() override;

    // Looks at the condition now and then every poll interval.
    void begin();

private:
    void poll();
    void finish(bool result);

    std::function<bool()> m_isReady;
    std::chrono::milliseconds m_timeout;
    QElapsedTimer m_elapsed;
    QTimer m_pollTimer;
    QPointer<QObject> m_context;
    std::function<void(bool)> m_onDone;
    bool m_done = false;
};

} // namespace Quorvel

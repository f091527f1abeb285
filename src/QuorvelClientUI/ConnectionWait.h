#pragma once

#include "QuorvelClientUI/CallerReply.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace Quorvel {

// One caller waiting until a condition holds or its time is up. The owner calls recheck() each
// time something the condition reads has changed; the limit runs on a precise timer, which never
// ends early. It answers exactly once, on the event loop, unless the caller's context is gone by
// then; when the wait itself is destroyed first (its owner went away) it answers false.
class ConnectionWait : public QObject {
    Q_OBJECT
public:
    ConnectionWait(std::function<bool()> isReady, std::chrono::milliseconds timeout,
                   QObject *context, std::function<void(bool)> onDone, QObject *owner);
    ~ConnectionWait() override;

    // Looks at the condition now and starts the limit.
    void begin();
    // Looks at the condition again: answers true once it holds.
    void recheck();

private:
    void finish(bool result);

    std::function<bool()> m_isReady;
    std::chrono::milliseconds m_timeout;
    QTimer m_limit;
    CallerReply<bool> m_answer;
    bool m_done = false;
};

} // namespace Quorvel

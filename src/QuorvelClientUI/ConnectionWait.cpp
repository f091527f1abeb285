#include "QuorvelClientUI/ConnectionWait.h"

namespace Quorvel {

ConnectionWait::ConnectionWait(std::function<bool()> isReady, std::chrono::milliseconds timeout,
                               std::chrono::milliseconds pollInterval, QObject *context,
                               std::function<void(bool)> onDone, QObject *owner)
    : QObject(owner), m_isReady(std::move(isReady)), m_timeout(timeout), m_context(context),
      m_onDone(std::move(onDone))
{
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ConnectionWait::poll);
}

ConnectionWait::~ConnectionWait()
{
    finish(false);
}

void ConnectionWait::begin()
{
    m_elapsed.start();
    poll();
    if (!m_done)
        m_pollTimer.start();
}

void ConnectionWait::poll()
{
    const bool ready = m_isReady();
    if (ready || std::chrono::milliseconds(m_elapsed.elapsed()) >= m_timeout) {
        finish(ready);
        deleteLater();
    }
}

void ConnectionWait::finish(bool result)
{
    if (m_done)
        return;
    m_done = true;
    m_pollTimer.stop();
    if (!m_context)
        return;
    QMetaObject::invokeMethod(
        m_context, [onDone = m_onDone, result] { onDone(result); }, Qt::QueuedConnection);
}

} // namespace Quorvel

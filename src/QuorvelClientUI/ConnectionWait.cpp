#include "QuorvelClientUI/ConnectionWait.h"

namespace Quorvel {

ConnectionWait::ConnectionWait(std::function<bool()> isReady, std::chrono::milliseconds timeout,
                               QObject *context, std::function<void(bool)> onDone, QObject *owner)
    : QObject(owner), m_isReady(std::move(isReady)), m_timeout(timeout),
      m_answer(context, std::move(onDone))
{
    m_limit.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the caller was promised the whole time.
    m_limit.setTimerType(Qt::PreciseTimer);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        finish(m_isReady());
        deleteLater();
    });
}

ConnectionWait::~ConnectionWait()
{
    finish(false);
}

void ConnectionWait::begin()
{
    if (m_timeout <= std::chrono::milliseconds::zero()) {
        finish(m_isReady());
        deleteLater();
        return;
    }
    m_limit.start(m_timeout);
    recheck();
}

void ConnectionWait::recheck()
{
    if (m_done || !m_isReady())
        return;
    finish(true);
    deleteLater();
}

void ConnectionWait::finish(bool result)
{
    if (m_done)
        return;
    m_done = true;
    m_limit.stop();
    m_answer(result);
}

} // namespace Quorvel

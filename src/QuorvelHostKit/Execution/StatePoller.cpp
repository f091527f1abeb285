#include "QuorvelHostKit/Execution/StatePoller.h"

#include "QuorvelHostKit/Execution/StateMonitor.h"

namespace Quorvel {

StatePoller::StatePoller(StateMonitor *monitor, const QString &id,
                         std::chrono::milliseconds interval)
    : QObject(monitor), m_monitor(monitor), m_id(id), m_interval(interval)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StatePoller::poll);
}

void StatePoller::start()
{
    // The first check comes from the event loop, so that starting many pollers at once does not
    // launch all their programs inside the caller.
    m_timer.start(0);
}

void StatePoller::poll()
{
    QCoro::connect(m_monitor->check(m_id), this, &StatePoller::scheduleNext);
}

void StatePoller::scheduleNext()
{
    m_timer.start(m_interval);
}

} // namespace Quorvel

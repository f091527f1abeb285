#include "Knobwire/ListenerHandle.h"

#include <QMutexLocker>
#include <QTcpServer>

namespace Knobwire {

ListenerHandle::~ListenerHandle()
{
    QTcpServer *listener = nullptr;
    std::optional<Goodbye> goodbye;
    {
        const QMutexLocker locker(&m_lock);
        listener = std::exchange(m_current, nullptr);
        goodbye = std::exchange(m_goodbye, std::nullopt);
    }
    cancel(listener);
    if (goodbye) {
        goodbye->first.center.post(goodbye->first.goodbyeName(), goodbye->second);
    }
}

void ListenerHandle::set(QTcpServer *listener, std::optional<Goodbye> goodbye)
{
    QTcpServer *previous = nullptr;
    {
        const QMutexLocker locker(&m_lock);
        previous = std::exchange(m_current, listener);
        m_goodbye = std::move(goodbye);
    }
    if (previous != listener) {
        cancel(previous);
    }
}

void ListenerHandle::clear()
{
    QTcpServer *listener = nullptr;
    {
        const QMutexLocker locker(&m_lock);
        listener = std::exchange(m_current, nullptr);
        m_goodbye.reset();
    }
    cancel(listener);
}

QTcpServer *ListenerHandle::current() const
{
    const QMutexLocker locker(&m_lock);
    return m_current;
}

void ListenerHandle::cancel(QTcpServer *listener)
{
    if (!listener) {
        return;
    }
    listener->close();
    // Later, not now: the listener may be cancelled from inside one of its own signals.
    listener->deleteLater();
}

} // namespace Knobwire

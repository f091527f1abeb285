#include "Knobwire/ObserverBag.h"

#include <QMutexLocker>

namespace Knobwire {

ObserverBag::ObserverBag(NotificationCenter center) : m_center(std::move(center)) {}

ObserverBag::~ObserverBag()
{
    removeAll();
}

void ObserverBag::observe(const QString &name, NotificationCenter::Handler handler)
{
    NotificationObserver *token = m_center.addObserver(name, std::move(handler));
    if (!token) {
        return;
    }
    const QMutexLocker locker(&m_lock);
    m_tokens.append(token);
}

void ObserverBag::removeAll()
{
    QList<NotificationObserver *> tokens;
    {
        const QMutexLocker locker(&m_lock);
        tokens.swap(m_tokens);
    }
    // Outside the lock: moving the list is the only work done under it, so that removal from
    // the bus never runs while the lock is held.
    for (NotificationObserver *token : tokens) {
        m_center.removeObserver(token);
    }
}

} // namespace Knobwire

#pragma once

#include "Knobwire/NotificationCenter.h"

#include <QList>
#include <QMutex>
#include <QString>

namespace Knobwire {

class NotificationObserver;

// The notification observers of one owner (a provider or a consumer), removed together.
// Its list is locked: removal may happen on another thread than delivery.
class ObserverBag {
public:
    explicit ObserverBag(NotificationCenter center = NotificationCenter::defaultCenter());
    ~ObserverBag();
    ObserverBag(const ObserverBag &) = delete;
    ObserverBag &operator=(const ObserverBag &) = delete;

    // Registers `handler` for the notification `name` from any sender; it runs on this thread.
    void observe(const QString &name, NotificationCenter::Handler handler);
    // Unregisters everything the bag holds; calling it again is harmless.
    void removeAll();

private:
    NotificationCenter m_center;
    QMutex m_lock;
    QList<NotificationObserver *> m_tokens;
};

} // namespace Knobwire

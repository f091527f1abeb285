#pragma once

#include "Knobwire/NotificationCenter.h"

#include <QAtomicInteger>
#include <QDBusMessage>
#include <QObject>
#include <QString>

namespace Knobwire {

// One registered notification handler: the receiver of the bus signals of one name.
class NotificationObserver : public QObject {
    Q_OBJECT

public:
    NotificationObserver(QString interface, QString member, NotificationCenter::Handler handler);

    const QString &interface() const { return m_interface; }
    const QString &member() const { return m_member; }

    // After this no delivery reaches the handler, even one already queued.
    void deactivate() { m_active.storeRelease(0); }
    bool isDelivering() const { return m_delivering; }

public slots:
    void deliver(const QDBusMessage &message);

private:
    QString m_interface;
    QString m_member;
    NotificationCenter::Handler m_handler;
    QAtomicInteger<int> m_active{1};
    bool m_delivering = false;
};

} // namespace Knobwire

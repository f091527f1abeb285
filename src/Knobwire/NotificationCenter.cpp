#include "Knobwire/NotificationCenter.h"

#include "Knobwire/NotificationObserver.h"

#include <QDBusMessage>
#include <QThread>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Every notification is sent from this one object path; receivers listen on every path.
const QString objectPath = u"/dev/knobwire"_s;

// "a.b.member" as the interface "a.b" and the signal "member".
std::pair<QString, QString> splitName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return {};
    }
    return {name.left(dot), name.mid(dot + 1)};
}

} // namespace

NotificationCenter::NotificationCenter(QDBusConnection bus) : m_bus(std::move(bus)) {}

NotificationCenter NotificationCenter::defaultCenter()
{
    return NotificationCenter(QDBusConnection::sessionBus());
}

bool NotificationCenter::post(const QString &name, const std::optional<QString> &object) const
{
    const auto [interface, member] = splitName(name);
    if (interface.isEmpty() || member.isEmpty()) {
        return false;
    }
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, interface, member);
    if (object) {
        signal << *object;
    }
    return m_bus.send(signal);
}

NotificationObserver *NotificationCenter::addObserver(const QString &name, Handler handler) const
{
    const auto [interface, member] = splitName(name);
    if (interface.isEmpty() || member.isEmpty()) {
        return nullptr;
    }
    auto *observer = new NotificationObserver(interface, member, std::move(handler));
    QDBusConnection bus = m_bus;
    if (!bus.connect(QString(), QString(), interface, member, observer,
                     SLOT(deliver(QDBusMessage)))) {
        delete observer;
        return nullptr;
    }
    return observer;
}

void NotificationCenter::removeObserver(NotificationObserver *observer) const
{
    if (!observer) {
        return;
    }
    observer->deactivate();
    QDBusConnection bus = m_bus;
    bus.disconnect(QString(), QString(), observer->interface(), observer->member(), observer,
                   SLOT(deliver(QDBusMessage)));
    // Deleting it under its own running handler, or from another thread, would pull it away
    // from code that still uses it; its own event loop frees it then.
    if (observer->thread() == QThread::currentThread() && !observer->isDelivering()) {
        delete observer;
    } else {
        observer->deleteLater();
    }
}

} // namespace Knobwire

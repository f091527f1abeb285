#include "Knobwire/NotificationObserver.h"

#include <QScopedValueRollback>

namespace Knobwire {

NotificationObserver::NotificationObserver(QString interface, QString member,
                                           NotificationCenter::Handler handler)
    : m_interface(std::move(interface)), m_member(std::move(member)), m_handler(std::move(handler))
{}

void NotificationObserver::deliver(const QDBusMessage &message)
{
    if (!m_active.loadAcquire() || !m_handler) {
        return;
    }
    std::optional<QString> object;
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() == 1 && arguments.first().typeId() == QMetaType::QString) {
        object = arguments.first().toString();
    }
    const QScopedValueRollback delivering(m_delivering, true);
    m_handler(object, message.service());
}

} // namespace Knobwire

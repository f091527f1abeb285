#include "Platform/Session/ApplicationForwarder.h"

#include "Platform/Session/ApplicationService.h"
#include "Platform/Session/SessionLogging.h"

#include <QDBusMessage>

namespace Quorvel {

ApplicationForwarder::ApplicationForwarder(QDBusConnection bus, QString busName)
    : m_bus(std::move(bus)), m_busName(std::move(busName))
{}

bool ApplicationForwarder::call(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        m_busName, ApplicationService::objectPath(m_busName),
        QString::fromLatin1(ApplicationService::interfaceName), method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::BlockWithGui, int(callTimeout.count()));
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qCWarning(lcInstance) << "Could not pass" << method
                              << "to the running copy:" << reply.errorMessage();
        return false;
    }
    return true;
}

bool ApplicationForwarder::activate(const QVariantMap &platformData) const
{
    return call(QStringLiteral("Activate"), {platformData});
}

bool ApplicationForwarder::open(const QStringList &uris, const QVariantMap &platformData) const
{
    return call(QStringLiteral("Open"), {uris, platformData});
}

bool ApplicationForwarder::activateAction(const QString &actionName, const QVariantList &parameter,
                                          const QVariantMap &platformData) const
{
    return call(QStringLiteral("ActivateAction"), {actionName, QVariant(parameter), platformData});
}

} // namespace Quorvel

#include "Platform/Power/LogindInhibitor.h"

#include "Platform/PlatformLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace Quorvel {

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

std::optional<QDBusUnixFileDescriptor> LogindInhibitor::inhibit(const QString &what,
                                                                const QString &who,
                                                                const QString &why,
                                                                const QString &mode)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCDebug(lcPower, "No system bus for an inhibitor lock: %s",
                qUtf8Printable(bus.lastError().message()));
        return std::nullopt;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, logindPath, managerInterface,
                                                       QStringLiteral("Inhibit"));
    call << what << who << why << mode;
    const QDBusReply<QDBusUnixFileDescriptor> reply =
        bus.call(call, QDBus::Block, static_cast<int>(callTimeout.count()));
    if (!reply.isValid()) {
        qCDebug(lcPower, "logind refused an inhibitor lock: %s",
                qUtf8Printable(reply.error().message()));
        return std::nullopt;
    }
    if (!reply.value().isValid()) {
        qCDebug(lcPower, "logind answered without an inhibitor descriptor");
        return std::nullopt;
    }
    return reply.value();
}

} // namespace Quorvel

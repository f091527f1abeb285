#include "Platform/Power/LogindInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

namespace Quorvel {

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindInhibitor::LogindInhibitor() = default;

LogindInhibitor::~LogindInhibitor()
{
    release();
}

QString LogindInhibitor::name() const
{
    return QStringLiteral("logind");
}

void LogindInhibitor::acquire(const QString &who, const QString &why, Answer answer)
{
    release();
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, logindPath, managerInterface,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << who << why << QStringLiteral("block");
    const InhibitRequest::Reader read = [](const QDBusPendingCall &pending) {
        const QDBusUnixFileDescriptor descriptor =
            QDBusPendingReply<QDBusUnixFileDescriptor>(pending).value();
        if (!descriptor.isValid())
            return InhibitRequest::Reading(QStringLiteral("logind answered without a lock"));
        // The lock lasts while its descriptor stays open.
        return InhibitRequest::Reading(InhibitRequest::Unlock(
            [held = descriptor]() mutable { held = QDBusUnixFileDescriptor(); }));
    };
    const InhibitRequest::Refusal refuse = [](const QDBusError &error) { return error.message(); };
    m_request = InhibitRequest::send(
        {QDBusConnection::systemBus(), QStringLiteral("system"), call, callTimeout, read, refuse},
        std::move(answer));
}

void LogindInhibitor::release()
{
    if (m_request)
        std::exchange(m_request, nullptr)->release();
}

} // namespace Quorvel

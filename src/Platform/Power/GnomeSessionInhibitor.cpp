#include "Platform/Power/GnomeSessionInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>

namespace Quorvel {

namespace {

const QString sessionService = QStringLiteral("org.gnome.SessionManager");
const QString sessionPath = QStringLiteral("/org/gnome/SessionManager");
const QString sessionInterface = QStringLiteral("org.gnome.SessionManager");
// No window stands for the lock: the host works without one.
constexpr quint32 noToplevelWindow = 0;

QDBusMessage sessionCall(const QString &method)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(sessionService, sessionPath, sessionInterface, method);
    // Asking must never start a session manager where none runs.
    call.setAutoStartService(false);
    return call;
}

void uninhibit(quint32 cookie)
{
    QDBusMessage call = sessionCall(QStringLiteral("Uninhibit"));
    call << cookie;
    QDBusConnection::sessionBus().send(call);
}

} // namespace

GnomeSessionInhibitor::GnomeSessionInhibitor(const QString &appId) : m_appId(appId) {}

GnomeSessionInhibitor::~GnomeSessionInhibitor()
{
    release();
}

QString GnomeSessionInhibitor::name() const
{
    return QStringLiteral("GNOME session");
}

void GnomeSessionInhibitor::acquire(const QString &who, const QString &why, Answer answer)
{
    Q_UNUSED(who)
    release();
    QDBusMessage call = sessionCall(QStringLiteral("Inhibit"));
    call << m_appId << noToplevelWindow << why << suspendFlag;
    const InhibitRequest::Reader read = [](const QDBusPendingCall &pending) {
        const quint32 cookie = QDBusPendingReply<quint32>(pending).value();
        return InhibitRequest::Reading(InhibitRequest::Unlock([cookie] { uninhibit(cookie); }));
    };
    const InhibitRequest::Refusal refuse = [](const QDBusError &error) {
        return error.type() == QDBusError::ServiceUnknown
                   ? QStringLiteral("GNOME's session manager isn't running")
                   : error.message();
    };
    m_request = InhibitRequest::send(
        {QDBusConnection::sessionBus(), QStringLiteral("session"), call, callTimeout, read, refuse},
        std::move(answer));
}

void GnomeSessionInhibitor::release()
{
    if (m_request)
        std::exchange(m_request, nullptr)->release();
}

} // namespace Quorvel

#include "Platform/Power/GnomeSessionInhibitor.h"

#include "Platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <optional>

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

struct GnomeSessionInhibitor::Request {
    // Cleared when the lock is no longer wanted: a late cookie is then handed back at once.
    Answer answer;
    std::optional<quint32> cookie;
    bool wanted = true;
};

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
    auto request = std::make_shared<Request>();
    request->answer = std::move(answer);
    m_request = request;

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        const QString reason = QStringLiteral("no session bus (%1)").arg(bus.lastError().message());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [request, reason] {
                if (request->answer)
                    std::exchange(request->answer, nullptr)(false, reason);
            },
            Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = sessionCall(QStringLiteral("Inhibit"));
    call << m_appId << noToplevelWindow << why << suspendFlag;
    // Not parented: it must see the reply through even when this inhibitor has gone, to hand
    // back a cookie that arrives too late.
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(callTimeout.count())));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [request](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<quint32> reply = *finished;
                         if (!request->wanted) {
                             if (!reply.isError())
                                 uninhibit(reply.value());
                             return;
                         }
                         const Answer answer = std::exchange(request->answer, nullptr);
                         if (reply.isError()) {
                             qCDebug(lcPower, "No GNOME session lock: %s",
                                     qUtf8Printable(reply.error().message()));
                             const bool absent = reply.error().type() == QDBusError::ServiceUnknown;
                             answer(false, absent ? QStringLiteral("GNOME's session manager "
                                                                   "isn't running")
                                                  : reply.error().message());
                             return;
                         }
                         request->cookie = reply.value();
                         answer(true, QString());
                     });
}

void GnomeSessionInhibitor::release()
{
    if (!m_request)
        return;
    m_request->wanted = false;
    m_request->answer = nullptr;
    if (m_request->cookie)
        uninhibit(*std::exchange(m_request->cookie, std::nullopt));
    m_request.reset();
}

} // namespace Quorvel

#include "Platform/Power/LogindInhibitor.h"

#include "Platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <optional>

namespace Quorvel {

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

struct LogindInhibitor::Request {
    // Cleared when the lock is no longer wanted: a late reply then only closes its descriptor.
    Answer answer;
    // The open lock descriptor; destroying it ends the lock.
    std::optional<QDBusUnixFileDescriptor> descriptor;
};

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
    auto request = std::make_shared<Request>();
    request->answer = std::move(answer);
    m_request = request;

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        const QString reason = QStringLiteral("no system bus (%1)").arg(bus.lastError().message());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [request, reason] {
                if (request->answer)
                    std::exchange(request->answer, nullptr)(false, reason);
            },
            Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, logindPath, managerInterface,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << who << why << QStringLiteral("block");
    // Not parented: it must see the reply through even when this inhibitor has gone, to close a
    // descriptor that arrives too late.
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(callTimeout.count())));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [request](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                         if (!request->answer)
                             return;
                         const Answer answer = std::exchange(request->answer, nullptr);
                         if (reply.isError()) {
                             qCDebug(lcPower, "logind refused an idle lock: %s",
                                     qUtf8Printable(reply.error().message()));
                             answer(false, reply.error().message());
                             return;
                         }
                         if (!reply.value().isValid()) {
                             answer(false, QStringLiteral("logind answered without a lock"));
                             return;
                         }
                         request->descriptor = reply.value();
                         answer(true, QString());
                     });
}

void LogindInhibitor::release()
{
    if (!m_request)
        return;
    m_request->answer = nullptr;
    m_request->descriptor.reset();
    m_request.reset();
}

} // namespace Quorvel

#include "Platform/Desktop/DesktopNotifier.h"

#include "Platform/PlatformLogging.h"
#include "Platform/Text/OutsideText.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace Quorvel {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
// The service's own default display time.
constexpr int defaultExpiry = -1;

} // namespace

DesktopNotifier::DesktopNotifier(QString appName, QString desktopEntry,
                                 std::function<void()> fallback, QDBusConnection bus,
                                 QObject *parent)
    : QObject(parent), m_appName(std::move(appName)), m_desktopEntry(std::move(desktopEntry)),
      m_fallback(std::move(fallback)), m_bus(std::move(bus))
{
    m_bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                  SLOT(receiveAction(quint32, QString)));
    m_bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                  SLOT(forgetClosed(quint32, quint32)));
}

void DesktopNotifier::forgetClosed(quint32 id, quint32)
{
    m_shown.remove(id);
}

void DesktopNotifier::receiveAction(quint32 id, const QString &key)
{
    if (m_shown.contains(id))
        emit actionInvoked(id, key);
}

void DesktopNotifier::notify(const QString &title, const QString &body, const QStringList &actions)
{
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, title, body, actions](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusPendingReply<QStringList> reply = *call;
                if (reply.isError()) {
                    qCDebug(lcDesktop) << "no notification service:" << reply.error().message();
                    m_fallback();
                    emit fellBack();
                    return;
                }
                send(title, body, actions, reply.value().contains(QStringLiteral("body-markup")));
            });
}

void DesktopNotifier::send(const QString &title, const QString &body, const QStringList &actions,
                           bool escape)
{
    QDBusMessage notify =
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), m_desktopEntry}};
    // A title is one plain line; outside words in it (link ids, action and deck titles) may hold
    // line breaks, direction marks or a megabyte.
    notify << m_appName << quint32(0) << QString() << OutsideText::forShowing(title)
           << (escape ? body.toHtmlEscaped() : body) << actions << hints << defaultExpiry;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusPendingReply<quint32> reply = *call;
                if (reply.isError()) {
                    m_fallback();
                    emit fellBack();
                    return;
                }
                m_shown.insert(reply.value());
                emit shown(reply.value());
            });
}

} // namespace Quorvel

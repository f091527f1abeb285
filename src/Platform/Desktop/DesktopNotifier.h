#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace Quorvel {

// Shows notices through the desktop's notification service (org.freedesktop.Notifications),
// under the application's name and desktop entry. When no service answers, the fallback (a beep)
// stands in for the notice.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    DesktopNotifier(QString appName, QString desktopEntry, std::function<void()> fallback,
                    QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // The body is outside text: escaped where the service reads markup.
    void notify(const QString &title, const QString &body);

signals:
    // The service took the notice, or the fallback ran.
    void shown(quint32 id);
    void fellBack();

private:
    void send(const QString &title, const QString &body, bool escape);

    QString m_appName;
    QString m_desktopEntry;
    std::function<void()> m_fallback;
    QDBusConnection m_bus;
};

} // namespace Quorvel

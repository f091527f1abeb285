#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

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

    // The title is shown as outside text (OutsideText::forShowing); the body is outside text too:
    // escaped where the service reads markup. Actions are pairs of a
    // key and its button's label; a chosen one comes back through actionInvoked.
    void notify(const QString &title, const QString &body, const QStringList &actions = {});

signals:
    // The service took the notice, or the fallback ran.
    void shown(quint32 id);
    void fellBack();
    // The user chose an action of a notice this object showed.
    void actionInvoked(quint32 id, const QString &key);

private slots:
    void receiveAction(quint32 id, const QString &key);
    void forgetClosed(quint32 id, quint32 reason);

private:
    void send(const QString &title, const QString &body, const QStringList &actions, bool escape);

    QString m_appName;
    QString m_desktopEntry;
    std::function<void()> m_fallback;
    QDBusConnection m_bus;
    // Notices of this object still on screen.
    QSet<quint32> m_shown;
};

} // namespace Quorvel

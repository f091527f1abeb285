#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <cstdint>

namespace Quorvel {

// Whether the desktop has a system tray, and when one starts: a StatusNotifierWatcher on the
// session bus that has a host (Plasma, GNOME's AppIndicator extension), or on X11 an owner of
// the XEmbed tray's selection _NET_SYSTEM_TRAY_S<screen> (tint2, Xfce's panel). A program started
// at login may be up before its panel is.
//
// Qt asks the bus for a StatusNotifierWatcher once per process and keeps the answer: asked before
// the panel is up, every later tray icon of the process takes the XEmbed path, which a
// StatusNotifierItem-only desktop does not show. So nothing may ask Qt about the tray (neither
// QSystemTrayIcon::isSystemTrayAvailable() nor a QSystemTrayIcon) before this says there is one.
class TrayWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

    explicit TrayWatch(QDBusConnection bus = QDBusConnection::sessionBus(),
                       QObject *parent = nullptr);
    ~TrayWatch() override;

    // A tray is there now.
    bool available() const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // A tray started: the first one, or the same panel again.
    void trayStarted();

private slots:
    void hostRegistered();

private:
    void askWatcher(bool wait);
    void setWatcherHasHost(bool hasHost);
    void watchXEmbed();
    bool xembedOwned() const;

    QDBusConnection m_bus;
    QDBusServiceWatcher m_services;
    bool m_watcherHasHost = false;
    // The X11 connection and atoms, when the program runs under X11.
    void *m_xcb = nullptr;
    std::uint32_t m_selection = 0;
    std::uint32_t m_manager = 0;
};

} // namespace Quorvel

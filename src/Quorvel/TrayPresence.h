#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>

namespace Quorvel {

class AppState;

// Where the menu lives on the desktop. With a system tray, an icon whose activation drops the
// menu under the pointer as a popup. Without one (stock GNOME, the offscreen platform), the menu
// is an ordinary window, shown at start and whenever the program is started again; closing it
// keeps the program running until Quit.
class TrayPresence : public QObject {
    Q_OBJECT

public:
    // The tray icon for the mark, active or dimmed.
    using IconForState = std::function<QIcon(bool active)>;

    // The presence takes the menu widget over.
    TrayPresence(AppState &state, QWidget *menu, IconForState icon, bool trayAvailable,
                 QObject *parent = nullptr);
    ~TrayPresence() override;

    bool usesTray() const { return m_tray != nullptr; }
    QSystemTrayIcon *trayIcon() const { return m_tray.get(); }
    QWidget *menuWindow() const { return m_menu.get(); }

    // Shows the menu (under the pointer with a tray) and brings it forward.
    void showMenu();

    // The tray's mark: in the text colour of the desktop's palette, which panels follow; dimmed
    // while the program is not active.
    static QIcon markIcon(bool active);

private:
    void updateIcon();

    AppState &m_state;
    std::unique_ptr<QWidget> m_menu;
    IconForState m_icon;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace Quorvel

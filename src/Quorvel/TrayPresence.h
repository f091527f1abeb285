#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>

namespace Quorvel {

class AppMenu;
class AppState;
class TrayWatch;

// Where the menu lives on the desktop. With a system tray, an icon whose activation drops the
// menu under the pointer as a popup. Without one (stock GNOME, the offscreen platform), the menu
// is an ordinary window, shown at start and whenever the program is started again; closing it
// keeps the program running until Quit. A tray that appears later (the panel started after the
// program) takes the menu over.
class TrayPresence : public QObject {
    Q_OBJECT

public:
    // The tray icon for the mark, active or dimmed.
    using IconForState = std::function<QIcon(bool active)>;

    // The presence takes the menu over.
    TrayPresence(AppState &state, AppMenu *menu, IconForState icon, bool trayAvailable,
                 QObject *parent = nullptr);
    ~TrayPresence() override;

    // The menu on this desktop: in its tray when it has one, else a window until a tray starts.
    // Qt is asked about the tray only once `watch` has seen one.
    static std::unique_ptr<TrayPresence> onDesktop(AppState &state, AppMenu *menu,
                                                   IconForState icon, TrayWatch &watch);

    bool usesTray() const { return m_tray != nullptr; }
    QSystemTrayIcon *trayIcon() const { return m_tray.get(); }
    QWidget *menuWindow() const;

    // Shows the menu beside the tray icon, or else the pointer (X11), and brings it forward.
    void showMenu();

    // A tray started: the menu window moves into it (the icon shown, the menu a popup, the window
    // hidden). Once in a tray, Qt brings the icon back to a restarted panel by itself.
    void moveIntoTray();

    // Where a popup of this size goes for an anchor (the tray icon, or the pointer): below it,
    // else above it where there is more room, starting at its left edge, else ending at its
    // right; always inside the available area.
    static QRect popupFrame(QSize size, QRect anchor, QRect available);

    // The tray's mark: in the text colour of the desktop's palette, outlined in the opposite
    // colour, as the panel may be light or dark whatever the palette; dimmed while the program
    // is not active.
    static QIcon markIcon(bool active);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showTrayIcon();
    void updateIcon();
    // Puts the menu beside its anchor (X11 only: Wayland places windows itself).
    void placeAtAnchor();
    // Keeps the shown menu where it belongs as it grows or shrinks: a popup beside its anchor, a
    // window on the screen (X11 only).
    void place();

    AppState &m_state;
    std::unique_ptr<AppMenu> m_menu;
    // What the menu opened beside.
    QRect m_anchor;
    IconForState m_icon;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace Quorvel

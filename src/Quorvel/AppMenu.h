#pragma once

#include "Quorvel/ThisComputerSummary.h"

#include <QPointer>
#include <QWidget>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class AppState;
class ClientRootView;
class Divider;
class PlainLabel;

// The menu: the remote's view while the remote is on, this computer's summary while it hosts,
// and the footer with Settings and Quit. Follows the roles and the host coordinator; the remote's
// view follows the client model itself.
class AppMenu : public QWidget {
    Q_OBJECT

public:
    // The menu is this wide; its height follows what it shows.
    static constexpr int menuWidth = 300;

    explicit AppMenu(AppState &app, QWidget *parent = nullptr);
    ~AppMenu() override;

    // As a window: as tall as its laid-out content at its width, at most as tall as the screen's
    // available area (the actions then scroll). Done again whenever the content changes.
    void fitToContent();

    // For tests and the gallery.
    ClientRootView *remoteView() const { return m_remote; }
    ThisComputerSummary *summary() const { return m_summary; }
    QWidget *hostSection() const { return m_hostSection; }
    PlainLabel *offLabel() const { return m_offLabel; }
    QPushButton *settingsButton() const { return m_settings; }
    QPushButton *quitButton() const { return m_quit; }

protected:
    bool event(QEvent *event) override;

private:
    void refresh();
    void rebuildHostSection();
    void noteDeck();

    AppState &m_app;
    // Made the first time the remote is on, then kept: text typed into it survives a change of
    // roles.
    ClientRootView *m_remote = nullptr;
    Divider *m_remoteDivider = nullptr;
    QWidget *m_hostSection = nullptr;
    QPointer<ThisComputerSummary> m_summary;
    Divider *m_hostDivider = nullptr;
    PlainLabel *m_offLabel = nullptr;
    QPushButton *m_settings = nullptr;
    QPushButton *m_quit = nullptr;
    bool m_showsDeck = false;
};

} // namespace Quorvel

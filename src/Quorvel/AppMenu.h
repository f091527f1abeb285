#pragma once

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QVBoxLayout;

namespace Quorvel {

class AppState;
class ThisComputerSummary;

// The menu: the remote's view while the remote is on, this computer's summary while it hosts,
// and the footer with Settings and Quit. Follows the roles and the host coordinator.
class AppMenu : public QWidget {
    Q_OBJECT

public:
    // The menu is this wide; its height follows what it shows.
    static constexpr int menuWidth = 300;

    explicit AppMenu(AppState &app, QWidget *parent = nullptr);
    ~AppMenu() override;

    // For tests and the gallery: what each part shows now.
    QWidget *remoteSection() const { return m_remote; }
    QWidget *hostSection() const { return m_hostSection; }
    QLabel *offLabel() const { return m_offLabel; }

private:
    void refresh();
    void rebuildHostSection();

    AppState &m_app;
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_remote = nullptr;
    QFrame *m_remoteDivider = nullptr;
    QWidget *m_hostSection = nullptr;
    QPointer<ThisComputerSummary> m_summary;
    QFrame *m_hostDivider = nullptr;
    QLabel *m_offLabel = nullptr;
};

} // namespace Quorvel

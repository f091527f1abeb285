#pragma once

#include <QPointer>
#include <QWidget>

class QPushButton;

namespace Quorvel {

class AppState;
class HostCoordinator;
class PlainLabel;

// This computer as a host, in the menu: its title, who is connected, and the button that opens
// its own actions in the local deck editor. Follows the coordinator's connected devices.
class ThisComputerSummary : public QWidget {
    Q_OBJECT

public:
    ThisComputerSummary(AppState &app, HostCoordinator &host, QWidget *parent = nullptr);

    // For tests and the gallery.
    QString connectedText() const;
    QPushButton *editButton() const { return m_edit; }

private:
    void updateConnected();

    QPointer<HostCoordinator> m_host;
    PlainLabel *m_connected = nullptr;
    QPushButton *m_edit = nullptr;
};

} // namespace Quorvel

#pragma once

#include <QLabel>
#include <QWidget>

namespace Quorvel {

class AppState;
class HostCoordinator;

// This computer as a host, in the menu: its title, who is connected, and the button that opens
// its own actions in the local deck editor. Follows the coordinator's connected devices.
class ThisComputerSummary : public QWidget {
    Q_OBJECT

public:
    ThisComputerSummary(AppState &app, HostCoordinator &host, QWidget *parent = nullptr);

private:
    void updateConnected();

    HostCoordinator &m_host;
    QLabel *m_connected = nullptr;
};

} // namespace Quorvel

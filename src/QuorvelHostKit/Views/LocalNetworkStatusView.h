#pragma once

#include <QPointer>
#include <QWidget>

namespace Quorvel {

class HostCoordinator;
class SymbolLabel;

// Whether devices on the local network can see this computer, and when they cannot, the cause
// on this platform: the discovery service is not running, or the network or a firewall hides it.
class LocalNetworkStatusView : public QWidget {
    Q_OBJECT
public:
    explicit LocalNetworkStatusView(HostCoordinator *coordinator, QWidget *parent = nullptr);

    SymbolLabel *line() const { return m_line; }

private:
    void refresh();

    QPointer<HostCoordinator> m_coordinator;
    SymbolLabel *m_line;
};

} // namespace Quorvel

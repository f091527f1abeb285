#pragma once

#include "Platform/Discovery/BrowsedService.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace Quorvel {

class ServiceBrowser;
class ServiceDiscovery;

// Lists the hosts on the network. Its owner makes one each time it starts browsing, calls
// start() and receives the whole current list, sorted by name, through hostsChanged() each time
// it changes (an empty list when the last host goes). Destroying it stops browsing.
class HostBrowser : public QObject {
    Q_OBJECT
public:
    // After a failed browse, browsing starts again after `first`, doubling up to `maximum`.
    struct RetryDelays {
        std::chrono::milliseconds first{1000};
        std::chrono::milliseconds maximum{30000};
    };

    // Browses this machine's mDNS service.
    explicit HostBrowser(QObject *parent = nullptr);
    explicit HostBrowser(RetryDelays delays, QObject *parent = nullptr);
    // Browses through `discovery`, which outlives the browser.
    HostBrowser(ServiceDiscovery &discovery, RetryDelays delays, QObject *parent = nullptr);
    ~HostBrowser() override;

    // Starts browsing on the next turn of the event loop; calling it again starts afresh.
    void start();
    // Stops browsing; no list follows. Calling it again, or before start(), does nothing more.
    void stop();

signals:
    void hostsChanged(const QList<Quorvel::DiscoveredHost> &hosts);
    // True when the mDNS daemon cannot be reached (no daemon, or the client failed: no host can
    // be seen), false once browsing works again.
    void localNetworkBlocked(bool blocked);

private:
    void startBrowsing();
    void dropBrowser();
    void handleReady();
    void handleUnreachable(const QString &reason);
    void handleClientFailed(const QString &reason);
    void handleFailed(const QString &reason);
    void browseAgainLater();
    void handleFound(const BrowsedService &service);
    void handleRemoved(const ServiceInstance &instance);
    void publish(bool evenIfUnchanged = false);

    RetryDelays m_delays;
    std::chrono::milliseconds m_nextDelay;
    // Between start() and stop(): the owner may stop from inside a callback.
    bool m_browsing = false;
    QTimer m_startTimer;
    ServiceDiscovery &m_discovery;
    ServiceBrowser *m_browser = nullptr;
    QHash<ServiceInstance, BrowsedService> m_services;
    QList<DiscoveredHost> m_hosts;
};

} // namespace Quorvel

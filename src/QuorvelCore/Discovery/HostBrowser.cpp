#include "QuorvelCore/Discovery/HostBrowser.h"

#include "Platform/Discovery/ServiceBrowser.h"
#include "Platform/Discovery/ServiceDiscovery.h"
#include "QuorvelCore/Discovery/HostListing.h"
#include "QuorvelCore/Discovery/RetryDelay.h"
#include "QuorvelCore/Logging.h"
#include "QuorvelCore/Model/ServiceType.h"

namespace Quorvel {

HostBrowser::HostBrowser(QObject *parent) : HostBrowser(RetryDelays{}, parent) {}

HostBrowser::HostBrowser(RetryDelays delays, QObject *parent)
    : HostBrowser(systemServiceDiscovery(), delays, parent)
{}

HostBrowser::HostBrowser(ServiceDiscovery &discovery, RetryDelays delays, QObject *parent)
    : QObject(parent), m_delays(delays), m_nextDelay(delays.first), m_discovery(discovery)
{
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, &HostBrowser::startBrowsing);
}

HostBrowser::~HostBrowser()
{
    stop();
}

void HostBrowser::start()
{
    m_browsing = true;
    dropBrowser();
    m_services.clear();
    m_hosts.clear();
    m_nextDelay = m_delays.first;
    m_startTimer.start(0);
}

void HostBrowser::stop()
{
    m_browsing = false;
    m_startTimer.stop();
    dropBrowser();
    m_services.clear();
    m_hosts.clear();
}

void HostBrowser::startBrowsing()
{
    dropBrowser();
    m_browser = m_discovery.makeBrowser(serviceType, this);
    connect(m_browser, &ServiceBrowser::ready, this, &HostBrowser::handleReady);
    connect(m_browser, &ServiceBrowser::unreachable, this, &HostBrowser::handleUnreachable);
    connect(m_browser, &ServiceBrowser::clientFailed, this, &HostBrowser::handleClientFailed);
    connect(m_browser, &ServiceBrowser::failed, this, &HostBrowser::handleFailed);
    connect(m_browser, &ServiceBrowser::serviceFound, this, &HostBrowser::handleFound);
    connect(m_browser, &ServiceBrowser::serviceRemoved, this, &HostBrowser::handleRemoved);
    m_browser->start();
}

void HostBrowser::dropBrowser()
{
    ServiceBrowser::dispose(m_browser, this);
}

void HostBrowser::handleReady()
{
    m_nextDelay = m_delays.first;
    emit localNetworkBlocked(false);
}

void HostBrowser::handleUnreachable(const QString &reason)
{
    qCCritical(lcHostBrowser, "Browser waiting: %s", qUtf8Printable(reason));
    emit localNetworkBlocked(true);
    // Nothing can be seen while the daemon is away; the list comes back with it.
    m_services.clear();
    publish();
}

// A client that cannot reach the daemon is this platform's refusal of local-network access; unlike
// a daemon that is away, it does not come back by itself.
void HostBrowser::handleClientFailed(const QString &reason)
{
    qCCritical(lcHostBrowser, "Browser waiting: %s", qUtf8Printable(reason));
    emit localNetworkBlocked(true);
    if (m_browsing) {
        browseAgainLater();
    }
}

void HostBrowser::handleFailed(const QString &reason)
{
    qCCritical(lcHostBrowser, "Browser failed: %s", qUtf8Printable(reason));
    browseAgainLater();
}

void HostBrowser::browseAgainLater()
{
    dropBrowser();
    m_services.clear();
    qCInfo(lcHostBrowser, "Browsing again in %lld ms", qlonglong(m_nextDelay.count()));
    m_startTimer.start(m_nextDelay);
    m_nextDelay = nextRetryDelay(m_nextDelay, m_delays.maximum);
    // Last, so that a stop() in the owner's slot also cancels the attempt armed above.
    publish(true);
}

void HostBrowser::handleFound(const BrowsedService &service)
{
    m_services.insert(service.instance, service);
    publish();
}

void HostBrowser::handleRemoved(const ServiceInstance &instance)
{
    if (m_services.remove(instance)) {
        publish();
    }
}

void HostBrowser::publish(bool evenIfUnchanged)
{
    QList<DiscoveredHost> hosts = hostList(m_services.values());
    if (hosts == m_hosts && !evenIfUnchanged) {
        return;
    }
    m_hosts = std::move(hosts);
    emit hostsChanged(m_hosts);
}

} // namespace Quorvel

#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"

#include "Platform/Discovery/ServiceBrowser.h"
#include "Platform/Discovery/ServiceDiscovery.h"
#include "QuorvelCore/Logging.h"

namespace Quorvel {
namespace {

const QString hostIDKey = QStringLiteral("id");

} // namespace

LocalNetworkMonitor::LocalNetworkMonitor(const QString &serviceType, const QString &ownHostID,
                                         QObject *parent)
    : LocalNetworkMonitor(serviceType, ownHostID, Timings{}, parent)
{}

LocalNetworkMonitor::LocalNetworkMonitor(const QString &serviceType, const QString &ownHostID,
                                         Timings timings, QObject *parent)
    : LocalNetworkMonitor(systemServiceDiscovery(), serviceType, ownHostID, timings, parent)
{}

LocalNetworkMonitor::LocalNetworkMonitor(ServiceDiscovery &discovery, const QString &serviceType,
                                         const QString &ownHostID, Timings timings, QObject *parent)
    : QObject(parent), m_serviceType(serviceType), m_ownHostID(ownHostID), m_timings(timings),
      m_discovery(discovery)
{
    for (QTimer *timer : {&m_visibilityDeadline, &m_recheck, &m_rebuild}) {
        timer->setSingleShot(true);
    }
    connect(&m_visibilityDeadline, &QTimer::timeout, this, [this] {
        if (m_status != Status::discoverable) {
            setStatus(Status::notVisible);
        }
    });
    connect(&m_recheck, &QTimer::timeout, this, &LocalNetworkMonitor::runRecheck);
    connect(&m_rebuild, &QTimer::timeout, this, &LocalNetworkMonitor::startBrowsing);
}

LocalNetworkMonitor::~LocalNetworkMonitor()
{
    stop();
}

void LocalNetworkMonitor::start()
{
    m_running = true;
    m_rebuild.start(0);
}

void LocalNetworkMonitor::stop()
{
    m_running = false;
    dropBrowser();
    m_visibilityDeadline.stop();
    m_recheck.stop();
    m_rebuild.stop();
}

void LocalNetworkMonitor::startBrowsing()
{
    if (!m_running) {
        return;
    }
    dropBrowser();
    m_browser = m_discovery.makeBrowser(m_serviceType, this);
    connect(m_browser, &ServiceBrowser::ready, this, &LocalNetworkMonitor::handleReady);
    connect(m_browser, &ServiceBrowser::unreachable, this, &LocalNetworkMonitor::handleUnreachable);
    connect(m_browser, &ServiceBrowser::clientFailed, this,
            &LocalNetworkMonitor::handleClientFailed);
    connect(m_browser, &ServiceBrowser::failed, this, &LocalNetworkMonitor::handleFailed);
    connect(m_browser, &ServiceBrowser::serviceFound, this, &LocalNetworkMonitor::handleFound);
    connect(m_browser, &ServiceBrowser::serviceRemoved, this, &LocalNetworkMonitor::handleRemoved);
    m_browser->start();
}

void LocalNetworkMonitor::dropBrowser()
{
    m_results.clear();
    ServiceBrowser::dispose(m_browser, this);
}

void LocalNetworkMonitor::handleReady()
{
    m_visibilityDeadline.start(m_timings.visibilityDeadline);
}

void LocalNetworkMonitor::handleUnreachable()
{
    m_results.clear();
    m_visibilityDeadline.stop();
    setStatus(Status::blocked);
}

// The client is gone for good; the recheck that blocked arms rebuilds it.
void LocalNetworkMonitor::handleClientFailed()
{
    dropBrowser();
    handleUnreachable();
}

void LocalNetworkMonitor::handleFailed(const QString &reason)
{
    qCCritical(lcLocalNetwork, "browser: %s", qUtf8Printable(reason));
    // A browser that no longer works cannot see this host: not visible, so that the recheck
    // rebuilds it.
    dropBrowser();
    m_visibilityDeadline.stop();
    setStatus(Status::notVisible);
}

void LocalNetworkMonitor::handleFound(const BrowsedService &service)
{
    m_results.insert(service.instance, service);
    checkResults();
}

void LocalNetworkMonitor::handleRemoved(const ServiceInstance &instance)
{
    if (m_results.remove(instance)) {
        checkResults();
    }
}

void LocalNetworkMonitor::checkResults()
{
    for (const BrowsedService &result : std::as_const(m_results)) {
        if (result.txt && result.txt->contains(hostIDKey) &&
            result.txt->value(hostIDKey) == m_ownHostID) {
            m_visibilityDeadline.stop();
            setStatus(Status::discoverable);
            return;
        }
    }
    if (m_status == Status::discoverable) {
        setStatus(Status::notVisible);
    }
}

void LocalNetworkMonitor::setStatus(Status status)
{
    switch (status) {
    case Status::discoverable:
        m_recheck.stop();
        m_recheckAttempt = 0;
        break;
    case Status::blocked:
    case Status::notVisible:
        armRecheck();
        break;
    case Status::checking:
        break;
    }
    if (status == m_status) {
        return;
    }
    m_status = status;
    qCInfo(lcLocalNetwork, "Local Network status: %s", qUtf8Printable(rawValue(status)));
    emit statusChanged(status);
}

void LocalNetworkMonitor::armRecheck()
{
    if (m_recheck.isActive()) {
        return;
    }
    m_recheck.start(m_timings.recheckInterval);
}

void LocalNetworkMonitor::runRecheck()
{
    if (m_status == Status::discoverable) {
        return;
    }
    ++m_recheckAttempt;
    emit recheckDue(m_recheckAttempt);
    // The owner may have stopped the monitor in its slot.
    if (m_running) {
        m_rebuild.start(m_timings.rebuildDelay);
    }
}

QJsonValue toJson(LocalNetworkMonitor::Status status)
{
    return rawValue(status);
}

std::optional<LocalNetworkMonitor::Status> localNetworkStatusFromJson(const QJsonValue &json)
{
    if (!json.isString()) {
        return std::nullopt;
    }
    return fromRawValue<LocalNetworkMonitor::Status>(json.toString());
}

} // namespace Quorvel

#include "QuorvelClientUI/NetworkPathMonitor.h"

#include "QuorvelClientUI/ClientUILogging.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace Quorvel {

bool isOfflineByInterfaces(const QList<InterfaceSummary> &interfaces)
{
    for (const InterfaceSummary &summary : interfaces) {
        if (!summary.isLoopback && summary.isUp && summary.hasAddress)
            return false;
    }
    return true;
}

QList<InterfaceSummary> currentInterfaces()
{
    QList<InterfaceSummary> result;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        InterfaceSummary summary;
        summary.isLoopback = flags.testFlag(QNetworkInterface::IsLoopBack) ||
                             interface.type() == QNetworkInterface::Loopback;
        summary.isUp =
            flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning);
        summary.hasAddress = !interface.addressEntries().isEmpty();
        result.append(summary);
    }
    return result;
}

NetworkPathMonitor::NetworkPathMonitor(Source source, InterfaceReader reader,
                                       std::chrono::milliseconds pollInterval, QObject *parent)
    : QObject(parent), m_source(source), m_reader(std::move(reader))
{
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &NetworkPathMonitor::readInterfaces);
}

void NetworkPathMonitor::start()
{
    if (m_running)
        return;
    m_running = true;
    m_usesSystem = m_source == Source::automatic && QNetworkInformation::loadBackendByFeatures(
                                                        QNetworkInformation::Feature::Reachability);
    if (m_usesSystem) {
        QNetworkInformation *information = QNetworkInformation::instance();
        qCDebug(lcClientModelPath) << "following reachability from" << information->backendName();
        connect(information, &QNetworkInformation::reachabilityChanged, this,
                &NetworkPathMonitor::readReachability);
        readReachability();
        return;
    }
    qCDebug(lcClientModelPath) << "no reachability backend; watching the interfaces";
    readInterfaces();
    m_pollTimer.start();
}

void NetworkPathMonitor::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_pollTimer.stop();
    if (m_usesSystem)
        QObject::disconnect(QNetworkInformation::instance(), nullptr, this, nullptr);
}

void NetworkPathMonitor::readInterfaces()
{
    report(isOfflineByInterfaces(m_reader()));
}

void NetworkPathMonitor::readReachability()
{
    // Local reachability is enough: every host this client talks to is on the local network.
    report(QNetworkInformation::instance()->reachability() ==
           QNetworkInformation::Reachability::Disconnected);
}

void NetworkPathMonitor::report(bool offline)
{
    m_offline = offline;
    emit pathChanged(offline);
}

} // namespace Quorvel

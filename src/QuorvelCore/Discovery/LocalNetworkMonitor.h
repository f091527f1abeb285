#pragma once

#include "Platform/Discovery/BrowsedService.h"
#include "QuorvelCore/Model/RawEnum.h"

#include <QHash>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

namespace Quorvel {

class ServiceBrowser;
class ServiceDiscovery;

// Watches, from the host's own side, whether the host's advertisement can be seen on the network:
// it browses for the service type and looks for a result whose TXT "id" is this host's id. While
// the host is not seen it asks its owner, at a fixed interval, to try again (recheckDue) and then
// browses afresh.
class LocalNetworkMonitor : public QObject {
    Q_OBJECT
public:
    enum class Status {
        checking,
        discoverable,
        // The mDNS daemon cannot be reached (no daemon, or the client failed): nothing on the
        // network can see this host.
        blocked,
        notVisible,
    };

    struct Timings {
        // How long a working browser may go without seeing this host before it counts as not
        // visible.
        std::chrono::milliseconds visibilityDeadline{8000};
        // After asking the owner to try again, the time its new advertisement gets before the
        // browser is rebuilt.
        std::chrono::milliseconds rebuildDelay{2000};
        // How long a host stays not visible or blocked before the next recheck.
        std::chrono::milliseconds recheckInterval{15000};
    };

    LocalNetworkMonitor(const QString &serviceType, const QString &ownHostID,
                        QObject *parent = nullptr);
    LocalNetworkMonitor(const QString &serviceType, const QString &ownHostID, Timings timings,
                        QObject *parent = nullptr);
    // Browses through `discovery`, which outlives the monitor; the others browse this machine's
    // mDNS service.
    LocalNetworkMonitor(ServiceDiscovery &discovery, const QString &serviceType,
                        const QString &ownHostID, Timings timings, QObject *parent = nullptr);
    ~LocalNetworkMonitor() override;

    // Starts browsing on the next turn of the event loop; keeps the status and the attempt count.
    void start();
    // Stops browsing and every pending check, also a rebuild that is due; no status change and
    // no signal.
    void stop();

    Status status() const { return m_status; }
    std::chrono::milliseconds recheckInterval() const { return m_timings.recheckInterval; }

signals:
    // After each change of the status.
    void statusChanged(Quorvel::LocalNetworkMonitor::Status status);
    // With the attempt number (from 1) each time a recheck finds this host not seen: the owner
    // is asked to try again.
    void recheckDue(qint64 attempt);

private:
    void startBrowsing();
    void dropBrowser();
    void handleReady();
    void handleUnreachable();
    void handleClientFailed();
    void handleFailed(const QString &reason);
    void handleFound(const BrowsedService &service);
    void handleRemoved(const ServiceInstance &instance);
    void checkResults();
    void setStatus(Status status);
    void armRecheck();
    void runRecheck();

    QString m_serviceType;
    QString m_ownHostID;
    Timings m_timings;
    Status m_status = Status::checking;
    qint64 m_recheckAttempt = 0;
    bool m_running = false;
    ServiceDiscovery &m_discovery;
    ServiceBrowser *m_browser = nullptr;
    QHash<ServiceInstance, BrowsedService> m_results;
    QTimer m_visibilityDeadline;
    QTimer m_recheck;
    QTimer m_rebuild;
};

template<> struct RawEnumTraits<LocalNetworkMonitor::Status> {
    static constexpr std::array<std::pair<LocalNetworkMonitor::Status, const char *>, 4> cases{{
        {LocalNetworkMonitor::Status::checking, "checking"},
        {LocalNetworkMonitor::Status::discoverable, "discoverable"},
        {LocalNetworkMonitor::Status::blocked, "blocked"},
        {LocalNetworkMonitor::Status::notVisible, "not_visible"},
    }};
};

// The JSON form of a status is its raw value alone; any other value does not decode.
QJsonValue toJson(LocalNetworkMonitor::Status status);
std::optional<LocalNetworkMonitor::Status> localNetworkStatusFromJson(const QJsonValue &json);

} // namespace Quorvel

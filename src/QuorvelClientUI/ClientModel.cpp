#include "QuorvelClientUI/ClientModel.h"

#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/ClientUILogging.h"
#include "QuorvelClientUI/NetworkPathMonitor.h"
#include "QuorvelCore/Discovery/HostBrowser.h"

#include <QUuid>

namespace Quorvel {

namespace {

const QString notConnectedNotice = QStringLiteral("Not connected");

} // namespace

ClientModel::ClientModel(QString clientName, KeychainTokenStore tokens, bool persistent,
                         ClientTimings timings, QObject *parent)
    : QObject(parent), m_clientName(std::move(clientName)), m_tokens(std::move(tokens)),
      m_persistent(persistent), m_timings(timings)
{
    m_rememberedHostName = readSettingText(lastHostNameKey);
    m_preferredHostKey = readSettingText(preferredHostKeySetting);
    if (!m_persistent) {
        // A private model starts with no host in mind and never touches the shared settings.
        m_preferredHostKey.reset();
        m_rememberedHostName.reset();
    }

    // Qt lets a timer of 2 s or more fire up to 5 % early to batch wake-ups; every wait here is a
    // promise to the user ("no answer after 90 s", "reconnects after 2 s") and must not be cut.
    for (QTimer *timer : {&m_searchTimer, &m_reconnectTimer, &m_pairingWatch})
        timer->setTimerType(Qt::PreciseTimer);

    m_searchTimer.setSingleShot(true);
    m_searchTimer.setInterval(m_timings.searchTakingLong);
    QObject::connect(&m_searchTimer, &QTimer::timeout, this, &ClientModel::checkSearchTakingLong);

    m_reconnectTimer.setSingleShot(true);
    m_reconnectTimer.setInterval(m_timings.reconnectDelay);
    QObject::connect(&m_reconnectTimer, &QTimer::timeout, this, [this] {
        if (m_autoReconnect && m_status.kind() == ConnectionStatus::Kind::failed)
            applyAutomaticConnection();
    });

    m_pairingWatch.setInterval(m_timings.pairingWatchInterval);
    QObject::connect(&m_pairingWatch, &QTimer::timeout, this, &ClientModel::checkPairingWatch);
}

ClientModel::~ClientModel()
{
    m_reconnectTimer.stop();
    m_pairingWatch.stop();
    failPendingReplies();
    if (m_connection) {
        QObject::disconnect(m_connection, nullptr, this, nullptr);
        delete m_connection.data();
    }
}

// Discovery.

void ClientModel::start()
{
    if (m_browser)
        return;
    m_browser = new HostBrowser(this);
    m_browser->onLocalNetworkBlocked = [this](bool blocked) { setLocalNetworkBlocked(blocked); };
    QObject::connect(m_browser, &HostBrowser::hostsChanged, this, &ClientModel::receiveHosts);
    emit browsingChanged();
    setSearchIsTakingLong(false);
    if (!m_pathMonitor) {
        m_pathMonitor =
            new NetworkPathMonitor(NetworkPathMonitor::Source::automatic, currentInterfaces,
                                   NetworkPathMonitor::defaultPollInterval, this);
        QObject::connect(m_pathMonitor, &NetworkPathMonitor::pathChanged, this,
                         &ClientModel::setOffline);
        m_pathMonitor->start();
    }
    m_browser->start();
    m_searchTimer.start();
}

void ClientModel::stop()
{
    m_searchTimer.stop();
    if (m_browser) {
        m_browser->stop();
        QObject::disconnect(m_browser, nullptr, this, nullptr);
        m_browser->onLocalNetworkBlocked = nullptr;
        m_browser->deleteLater();
        m_browser = nullptr;
    }
    // Like the connection, the browser tells its observers of every assignment, even of none.
    emit browsingChanged();
    if (m_pathMonitor) {
        m_pathMonitor->stop();
        m_pathMonitor->deleteLater();
        m_pathMonitor = nullptr;
    }
}

void ClientModel::checkSearchTakingLong()
{
    if (m_browser && m_hosts.isEmpty())
        setSearchIsTakingLong(true);
}

void ClientModel::receiveHosts(const QList<DiscoveredHost> &hosts)
{
    setFoundHosts(hosts);
    refilterHosts();
    if (!m_hosts.isEmpty())
        setSearchIsTakingLong(false);
    if (!hosts.isEmpty())
        setLocalNetworkBlocked(false);
    applyAutomaticConnection();
}

void ClientModel::refilterHosts()
{
    QList<DiscoveredHost> visible;
    for (const DiscoveredHost &host : std::as_const(m_foundHosts)) {
        const bool isOwnHost = host.hostID && m_excludedHostID && *host.hostID == *m_excludedHostID;
        if (!isOwnHost)
            visible.append(host);
    }
    setHosts(visible);
}

bool ClientModel::isListed(const DiscoveredHost &host) const
{
    return std::any_of(m_hosts.cbegin(), m_hosts.cend(), [&host](const DiscoveredHost &listed) {
        return listed.stableKey() == host.stableKey();
    });
}

void ClientModel::applyAutomaticConnection()
{
    const ConnectionStatus::Kind kind = m_status.kind();
    if (kind != ConnectionStatus::Kind::failed && kind != ConnectionStatus::Kind::idle)
        return;
    if (m_preferredHostKey) {
        // Only the usual host: another one is never chosen in its place.
        for (const DiscoveredHost &host : std::as_const(m_hosts)) {
            if (host.stableKey() == *m_preferredHostKey) {
                connectTo(host);
                return;
            }
        }
        return;
    }
    if (!m_hosts.isEmpty())
        connectTo(m_hosts.first());
}

// Connecting.

void ClientModel::connectTo(const DiscoveredHost &chosen)
{
    // A copy first: the caller may hand in a host from this model's own status or list, which
    // disconnecting replaces.
    const DiscoveredHost host = chosen;
    disconnect();
    setRefusedForVersion(false);
    setPreferredHostKey(host.stableKey());
    const quint64 epoch = m_linkEpoch;
    storedCode(host, [this, epoch, host](std::optional<PairingToken> code) {
        if (epoch != m_linkEpoch)
            return;
        if (!code) {
            requirePairing(host, std::nullopt, std::nullopt);
            return;
        }
        setAutoReconnect(true);
        setStatus(ConnectionStatus::connecting(host));
        openConnection(host, *code);
    });
}

void ClientModel::openConnection(const DiscoveredHost &host, const PairingToken &code)
{
    auto *connection = new HostConnection(host.endpoint, m_clientName, code, this);
    m_connection = connection;
    emit connectionChanged();
    const quint64 epoch = m_linkEpoch;
    QObject::connect(connection, &HostConnection::eventOccurred, this,
                     [this, epoch, host, code](const HostConnection::Event &event) {
                         if (epoch == m_linkEpoch)
                             handleEvent(event, host, code);
                     });
    connection->start();
}

void ClientModel::dropConnection()
{
    ++m_linkEpoch;
    m_reconnectTimer.stop();
    if (HostConnection *connection = m_connection.data()) {
        QObject::disconnect(connection, nullptr, this, nullptr);
        connection->disconnect();
        connection->deleteLater();
    }
    m_connection = nullptr;
    m_statesArrived = false;
    emit connectionChanged();
}

void ClientModel::disconnect()
{
    setAutoReconnect(false);
    setHostInfo(std::nullopt);
    setCatalog(std::nullopt);
    failPendingReplies();
    stopPairingWatch();
    setTlsSummary(std::nullopt);
    dropConnection();
    setDeck(std::nullopt);
    setStates({});
    setPendingControls({});
    setStatus(ConnectionStatus::idle());
}

void ClientModel::handleEvent(const HostConnection::Event &event, const DiscoveredHost &host,
                              const PairingToken &code)
{
    if (const auto *message = std::get_if<Message>(&event))
        handleMessage(*message, host, code);
    else
        handleStatus(std::get<HostConnection::Status>(event), host, code);
}

void ClientModel::handleStatus(const HostConnection::Status &status, const DiscoveredHost &host,
                               const PairingToken &code)
{
    using Kind = HostConnection::Status::Kind;
    switch (status.kind) {
    case Kind::connecting:
        setStatus(ConnectionStatus::connecting(host));
        return;
    case Kind::connected:
        // The status turns connected only once the host's deck is in hand.
        setTlsSummary(status.text);
        return;
    case Kind::resolved:
        return;
    case Kind::waiting:
        qCDebug(lcClientModel, "waiting: %s", qUtf8Printable(status.text.value_or(QString())));
        return;
    case Kind::rejected:
        // The TLS handshake failed: the host holds a different code than the one used.
        dropConnection();
        retryWithNewerCode(host, code);
        return;
    case Kind::networkDown:
        dropConnection();
        setPendingControls({});
        setStatus(ConnectionStatus::failed(
            QStringLiteral("Can't reach the local network. Check that this computer is "
                           "connected to the network.")));
        return;
    case Kind::disconnected:
        dropConnection();
        handleDisconnected(status.text, host);
        return;
    }
}

void ClientModel::handleDisconnected(const std::optional<QString> &reason,
                                     const DiscoveredHost &host)
{
    setPendingControls({});
    failPendingReplies();
    if (m_status.kind() == ConnectionStatus::Kind::needsPairing || m_refusedForVersion)
        return;
    setStatus(ConnectionStatus::failed(reason.value_or(QStringLiteral("disconnected"))));
    if (!m_autoReconnect || !isListed(host))
        return;
    reconnectAfterDelay();
}

void ClientModel::reconnectAfterDelay()
{
    m_reconnectTimer.start();
}

// Sending without waiting.

bool ClientModel::send(const Message &message)
{
    if (m_connection && m_connection->send(message))
        return true;
    setLastNotice(notConnectedNotice);
    return false;
}

void ClientModel::sendTrigger(const QString &controlID, std::optional<bool> desiredState)
{
    const Message message(Message::TriggerAction{QUuid::createUuid().toString(QUuid::WithoutBraces),
                                                 controlID, desiredState});
    // A control waits for its result only when the request went out; otherwise nothing would
    // ever answer it and it would stay disabled.
    if (send(message))
        insertPendingControl(controlID);
}

void ClientModel::press(const QString &controlID)
{
    sendTrigger(controlID, std::nullopt);
}

void ClientModel::setSwitch(const QString &controlID, bool on)
{
    sendTrigger(controlID, on);
}

void ClientModel::requestState()
{
    send(Message(Message::RequestState{}));
}

void ClientModel::requestCatalog()
{
    send(Message(Message::RequestCatalog{}));
}

} // namespace Quorvel

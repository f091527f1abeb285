#pragma once

#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Link/LinkClock.h"
#include "QuorvelCore/Link/ListenerState.h"
#include "QuorvelCore/Link/OutgoingWatchdog.h"
#include "QuorvelCore/Link/RefusalLog.h"
#include "QuorvelCore/Link/SourcePenalties.h"
#include "QuorvelCore/Link/WaitingPool.h"
#include "QuorvelCore/Model/Message.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <QWebSocketServer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSslSocket;
class QWebSocket;

namespace Quorvel {

class LinkListener;
class PairingToken;

// The host's end of the host link: listens with the link's TLS-PSK WebSocket stack, advertises
// the host as "_quorvel._tcp" with TXT "v" and "id", keeps the table of connected clients and
// hands every received message to its owner. Pairing is the owner's business; the server only
// drops connections that are not marked authenticated within handshakeTimeout, and keeps a hostile
// peer on the network from locking devices out or making the host hold without bound: few
// connections may wait to pair per address and in all, a connection must finish its TLS and
// WebSocket handshakes within transportTimeout, addresses that keep failing to authenticate are
// refused for a growing time, paired links are capped, and a link whose outgoing queue grows past
// its limit or stops moving is closed. Text a device sends is clipped and cleaned at the door.
//
// Lives on the thread that makes it; every operation runs at once, and callbacks come from that
// thread's event loop. Destroying the server stops it.
class HostServer : public QObject {
    Q_OBJECT
public:
    // One accepted connection.
    struct Client {
        QUuid id;
        // The peer's address and port, for log lines.
        QString endpoint;
        // The client name of the latest hello.
        std::optional<QString> name;
        friend bool operator==(const Client &a, const Client &b) = default;
    };

    // Connections one address may hold waiting to pair: more than a person's devices behind one
    // router ever open at once.
    static constexpr int maxWaitingToPair = 16;
    // Connections waiting to pair from all addresses together; one costs a few KB, and a full
    // pool still takes a newcomer from a less busy address in place of the busiest one's oldest.
    static constexpr int maxWaiting = 64;
    // Paired links at once: far beyond any household's devices, and it bounds what the host may
    // have to hold for them (each link's outgoing queue is capped as well).
    static constexpr int maxPairedLinks = 64;
    // Attempts after the first when a restart finds its port still held.
    static constexpr int restartRetries = 10;

    // `port` 0 lets the system choose; the port a listener gets is kept for later restarts. The
    // first advertises through this machine's mDNS service, the second through `publisher`.
    HostServer(QString serviceName, QString hostID, quint16 port, QObject *parent = nullptr);
    HostServer(QString serviceName, QString hostID, quint16 port,
               std::unique_ptr<ServicePublisher> publisher, QObject *parent = nullptr);
    ~HostServer() override;

    // Set by the owner before start(); each is skipped while empty.
    std::function<void(const Client &)> onClientConnected;
    std::function<void(const QUuid &)> onClientDisconnected;
    std::function<void(const QUuid &, const Message &)> onMessage;
    std::function<void(const ListenerState &)> onStateChanged;

    // How long an accepted connection may stay unauthenticated; read when it is accepted.
    std::chrono::milliseconds handshakeTimeout{std::chrono::seconds(10)};
    // How long an accepted connection may take for its TLS and WebSocket handshakes, which take
    // milliseconds for any device that follows the protocol; read when it is accepted.
    std::chrono::milliseconds transportTimeout{std::chrono::seconds(3)};
    // Pause before trying a port again that is still held.
    std::chrono::milliseconds retryDelay{std::chrono::milliseconds(200)};
    // The limits of every link's outgoing queue; read when a link is upgraded.
    OutgoingWatchdog::Limits outgoingLimits;
    // How often every link's outgoing queue is looked at for a stall.
    std::chrono::milliseconds watchdogInterval{std::chrono::seconds(1)};
    // How often the refusal log is looked at for minutes that have ended, to write their summary.
    std::chrono::milliseconds summaryInterval{std::chrono::seconds(15)};

    // Starts listening and advertising. Returns why when no listener can be made at all; every
    // later outcome (ready, or failed, also for a port in use) comes through onStateChanged.
    std::optional<QString> start(const PairingToken &pairingCode);
    // Withdraws the advertisement and registers it again.
    void readvertise();
    // Drops every client (telling onClientDisconnected) and listens anew, on the same port, for
    // `pairingCode`; ends with a ready listener or a reported failure. Ignored after stop().
    void restart(const PairingToken &pairingCode);
    // Ends the listener, the advertisement and every connection without telling any callback.
    void stop();

    // The server alone decides whether a client that proved the code is paired. Paired, it gets
    // broadcasts from now on and is no longer dropped for not pairing. With maxPairedLinks paired
    // already, the client is told so and closed instead. Returns whether the client is paired:
    // false for a refused or unknown one, which the owner must not count as connected.
    bool markAuthenticated(const QUuid &id);
    // The client failed to prove the code: counted against its address like a failed handshake.
    void reportFailedAuthentication(const QUuid &id);
    // Each returns whether the message went out: false for a client that is gone, has had its
    // last message or whose link is closing, and for a message that cannot be encoded or is over
    // the link's limit (which is logged).
    bool send(const Message &message, const QUuid &to);
    bool broadcast(const Message &message);
    // Sends the message (if any) as the client's last and closes it after those bytes; nothing
    // sent afterwards reaches the client.
    bool sendAndClose(const std::optional<Message> &message, const QUuid &to);
    void sendAndCloseAll(const Message &message);

    // The port the current listener holds; nothing without one.
    std::optional<quint16> listeningPort() const;
    // The record of a client that is still connected.
    std::optional<Client> client(const QUuid &id) const;

    // Connections waiting to pair, from every address.
    qsizetype waitingCount() const { return m_waiting.size(); }
    // The bytes waiting to be sent to a connected client; nothing for an unknown one.
    std::optional<qint64> queuedBytes(const QUuid &id) const;
    // The failures counted per address; tests set its policy.
    SourcePenalties &penalties() { return m_penalties; }
    // The time every limit is measured in, for tests.
    void setClock(LinkClock clock);

private:
    struct Connection {
        Client record;
        QPointer<QSslSocket> tls;
        // Present once TLS and the WebSocket upgrade are done.
        QPointer<QWebSocket> webSocket;
        // sendAndClose() has given the client its last message: nothing else goes out to it.
        bool closing = false;
        // The address its limits and penalties count against.
        QHostAddress source;
        // Present once upgraded.
        std::optional<OutgoingWatchdog> outgoing;
    };

    std::optional<QString> makeListener(const PairingToken &code, int retries, qint64 generation);
    void reportListenerState(qint64 generation, const ListenerState &state);
    void accept(LinkListener *listener, qintptr descriptor);
    void handleHandshakeEnd(const QUuid &id, const QString &error);
    void handleUpgraded();
    void handleMessage(const QUuid &id, const Message &message);
    void checkHandshake(const QUuid &id);
    void checkTransport(const QUuid &id);
    void checkOutgoing();
    bool admit(const QHostAddress &source, const QString &endpoint);
    // Logs a refusal or failure of `source` in full, or counts it for the minute's summary.
    bool logsInFull(const QHostAddress &source);
    void logRefusalSummaries();
    bool write(const QUuid &id, Connection &connection, const QString &text);
    // Closes the client at once, discarding whatever still waits to be sent to it.
    void drop(const QUuid &id);
    void close(const QUuid &id);
    void closeLater(const QUuid &id);
    void cancel(const Connection &connection);
    void dropListener();

    QString m_serviceName;
    QString m_hostID;
    quint16 m_port;
    QPointer<LinkListener> m_listener;
    qint64 m_generation = 0;
    bool m_stopped = false;
    QHash<QUuid, Connection> m_connections;
    QSet<QUuid> m_authenticated;
    LinkClock m_clock = systemLinkClock();
    WaitingPool m_waiting{{maxWaitingToPair, maxWaiting}};
    SourcePenalties m_penalties;
    RefusalLog m_refusals;
    QTimer m_watchdog;
    QTimer m_refusalSummaries;
    // Upgrades our finished TLS sockets to WebSockets; it never listens itself.
    QWebSocketServer m_upgrader;
    std::unique_ptr<ServicePublisher> m_publisher;
};

} // namespace Quorvel

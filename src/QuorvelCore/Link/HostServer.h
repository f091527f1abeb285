#pragma once

#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Link/ListenerState.h"
#include "QuorvelCore/Model/Message.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
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
// drops connections that are not marked authenticated within handshakeTimeout and lets at most
// maxWaitingToPair connections wait for that at once.
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

    // A device that opens many connections without pairing cannot lock others out for longer
    // than one handshake time-out, and cannot make the host hold more than this many.
    static constexpr int maxWaitingToPair = 16;
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
    // Pause before trying a port again that is still held.
    std::chrono::milliseconds retryDelay{std::chrono::milliseconds(200)};

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

    // From now on the client gets broadcasts and is no longer dropped for not pairing.
    void markAuthenticated(const QUuid &id);
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

private:
    struct Connection {
        Client record;
        QPointer<QSslSocket> tls;
        // Present once TLS and the WebSocket upgrade are done.
        QPointer<QWebSocket> webSocket;
        // sendAndClose() has given the client its last message: nothing else goes out to it.
        bool closing = false;
    };

    std::optional<QString> makeListener(const PairingToken &code, int retries, qint64 generation);
    void reportListenerState(qint64 generation, const ListenerState &state);
    void accept(LinkListener *listener, qintptr descriptor);
    void handleHandshakeEnd(const QUuid &id, const QString &error);
    void handleUpgraded();
    void handleMessage(const QUuid &id, const Message &message);
    void checkHandshake(const QUuid &id);
    bool write(const Connection &connection, const QString &text);
    void close(const QUuid &id);
    void closeLater(const QUuid &id);
    void cancel(const Connection &connection);
    void dropListener();
    qsizetype waitingToPair() const;

    QString m_serviceName;
    QString m_hostID;
    quint16 m_port;
    QPointer<LinkListener> m_listener;
    qint64 m_generation = 0;
    bool m_stopped = false;
    QHash<QUuid, Connection> m_connections;
    QSet<QUuid> m_authenticated;
    // Upgrades our finished TLS sockets to WebSockets; it never listens itself.
    QWebSocketServer m_upgrader;
    std::unique_ptr<ServicePublisher> m_publisher;
};

} // namespace Quorvel

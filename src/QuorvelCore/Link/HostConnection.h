#pragma once

#include "QuorvelCore/Discovery/HostEndpoint.h"
#include "QuorvelCore/Discovery/Resolve.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/Message.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <optional>
#include <variant>

class QWebSocket;

namespace Quorvel {

class PairingToken;
class ServiceDiscovery;
class ServiceResolver;
struct ResolvedHost;

// A remote's side of one link to one host: resolves the host's service, opens the TLS-PSK
// WebSocket link, reports how the attempt goes and every message from the host as events, and
// sends the remote's messages. It serves one attempt and never reconnects by itself; it knows
// nothing of challenges or decks.
//
// Lives on the thread that makes it. Events arrive in order through eventOccurred(); after the
// last one finished() says the stream has ended. Every ending except disconnectFromHost() reports
// exactly one final status first (rejected, networkDown or disconnected). Destroying the object
// ends the link as disconnectFromHost() does.
class HostConnection : public QObject {
    Q_OBJECT
public:
    struct Status {
        enum class Kind {
            connected,
            rejected,
            waiting,
            resolved,
            networkDown,
            disconnected,
            connecting
        };

        Kind kind = Kind::connecting;
        // connected: the TLS summary; rejected, waiting, disconnected: the reason; resolved:
        // "host:port"; networkDown: what is known of the network.
        std::optional<QString> text;

        static Status connected(const std::optional<QString> &tls)
        {
            return {Kind::connected, tls};
        }
        static Status rejected(const QString &reason) { return {Kind::rejected, reason}; }
        static Status waiting(const QString &reason) { return {Kind::waiting, reason}; }
        static Status resolved(const QString &hostPort) { return {Kind::resolved, hostPort}; }
        static Status networkDown(const QString &path) { return {Kind::networkDown, path}; }
        static Status disconnected(const std::optional<QString> &reason)
        {
            return {Kind::disconnected, reason};
        }
        static Status connecting() { return {Kind::connecting, std::nullopt}; }

        friend bool operator==(const Status &a, const Status &b) = default;
    };

    using Event = std::variant<Status, Message>;

    // A service endpoint is resolved through this machine's mDNS service.
    HostConnection(HostEndpoint endpoint, QString clientName, const PairingToken &code,
                   QObject *parent = nullptr);
    // A service endpoint is resolved through `discovery`, which outlives the connection.
    HostConnection(ServiceDiscovery &discovery, HostEndpoint endpoint, QString clientName,
                   const PairingToken &code, QObject *parent = nullptr);
    HostConnection(const QString &host, quint16 port, QString clientName, const PairingToken &code,
                   QObject *parent = nullptr);
    ~HostConnection() override;

    // Both are read when the attempt starts.
    std::chrono::milliseconds connectTimeout{std::chrono::seconds(10)};
    std::chrono::milliseconds resolveTimeout{Quorvel::resolveTimeout};

    const QString &clientName() const { return m_clientName; }

    // Starts the one attempt: the first event is the status connecting. Later calls do nothing.
    void start();
    // Returns whether the message went out: false without a ready link, and for a message that
    // cannot be encoded or is over the link's limit (both logged).
    bool send(const Message &message);
    // Ends the link and the event stream with no further event.
    void disconnectFromHost();
    // QObject::disconnect() with no arguments would cut every signal connection of this object
    // instead of ending the link; calling it by mistake is a compile error.
    void disconnect() = delete;

signals:
    void eventOccurred(const Quorvel::HostConnection::Event &event);
    void finished();

private:
    void report(const Event &event);
    // first: the first try, with resolveTimeout; fallback: after a first try that found
    // nothing, bounded only by the connect time-out; retry: before trying a found service again,
    // since the address it had may be an advertisement that has since moved.
    enum class Resolution { first, fallback, retry };
    void resolve(std::chrono::milliseconds timeout, Resolution stage);
    void handleResolution(const std::optional<ResolvedHost> &result, Resolution stage);
    // A route problem: tells of it and logs it only when its reason is new for this attempt.
    void reportWaiting(const QString &reason);
    void connectTo(const QString &host, quint16 port);
    void handleSocketError();
    void handleReady();
    void checkConnectTimeout();
    void dropSocket();

    ServiceDiscovery &m_discovery;
    HostEndpoint m_endpoint;
    QString m_clientName;
    LinkParameters m_parameters;
    QPointer<QWebSocket> m_socket;
    QPointer<ServiceResolver> m_resolver;
    bool m_started = false;
    // The stream is open: between start() and the end of the link.
    bool m_streaming = false;
    bool m_ready = false;
    // Where the socket connects, for trying again while the host cannot be reached.
    QString m_host;
    quint16 m_port = 0;
    // The reason of the last waiting status told, so that a host that keeps refusing is told
    // of once, not at every retry.
    std::optional<QString> m_waitingReason;
};

} // namespace Quorvel

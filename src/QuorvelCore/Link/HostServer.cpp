#include "QuorvelCore/Link/HostServer.h"

#include "Platform/Discovery/ServiceDiscovery.h"
#include "QuorvelCore/Link/DeviceText.h"
#include "QuorvelCore/Link/LinkListener.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Logging.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QSslSocket>
#include <QTimer>
#include <QWebSocket>

#include <unistd.h>

#include <utility>

namespace Quorvel {

namespace {

// A closed link whose peer never answers the WebSocket close is cut after this long, so that what
// was queued for it is freed.
constexpr std::chrono::seconds closeGrace{10};
// Bytes of a link the host takes off the network ahead of reading them: a device that sends
// faster than the host handles its messages waits in TCP instead of in the host's memory. The
// WebSocket reads a frame only once all of it is buffered, so the largest frame must fit, with
// its header and a TLS record to spare.
constexpr qint64 incomingReadAhead = LinkParameters::maxMessageSize + 64 * 1024;

// Bytes handed to the link's socket and not yet sent: the plain bytes still to encrypt and the
// encrypted ones the kernel has not taken.
qint64 pendingBytes(const QSslSocket *tls)
{
    return tls ? tls->bytesToWrite() + tls->encryptedBytesToWrite() : 0;
}

qint64 milliseconds(std::chrono::milliseconds duration)
{
    return qint64(duration.count());
}

// The peer as "address:port", with IPv4 peers of the dual-stack listener in their plain form.
QString endpointText(const QAbstractSocket &socket)
{
    QHostAddress address = socket.peerAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        address = QHostAddress(ipv4);
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(socket.peerPort());
}

} // namespace

HostServer::HostServer(QString serviceName, QString hostID, quint16 port, QObject *parent)
    : HostServer(std::move(serviceName), std::move(hostID), port,
                 std::unique_ptr<ServicePublisher>(systemServiceDiscovery().makePublisher(nullptr)),
                 parent)
{}

HostServer::HostServer(QString serviceName, QString hostID, quint16 port,
                       std::unique_ptr<ServicePublisher> publisher, QObject *parent)
    : QObject(parent), m_serviceName(std::move(serviceName)), m_hostID(std::move(hostID)),
      m_port(port), m_upgrader(QStringLiteral("Quorvel"), QWebSocketServer::NonSecureMode),
      m_publisher(std::move(publisher))
{
    connect(&m_upgrader, &QWebSocketServer::newConnection, this, &HostServer::handleUpgraded);
    connect(&m_watchdog, &QTimer::timeout, this, &HostServer::checkOutgoing);
    connect(&m_refusalSummaries, &QTimer::timeout, this, &HostServer::logRefusalSummaries);
}

HostServer::~HostServer()
{
    stop();
}

std::optional<QString> HostServer::start(const PairingToken &pairingCode)
{
    m_stopped = false;
    return makeListener(pairingCode, 0, m_generation);
}

void HostServer::readvertise()
{
    if (!m_stopped && m_listener)
        m_publisher->republish();
}

void HostServer::restart(const PairingToken &pairingCode)
{
    if (m_stopped)
        return;
    ++m_generation;
    const QHash<QUuid, Connection> dropped = std::exchange(m_connections, {});
    m_authenticated.clear();
    m_waiting.clear();
    // Closing frees the port at once, so the new listener can take it without waiting.
    dropListener();
    for (auto it = dropped.cbegin(); it != dropped.cend(); ++it) {
        cancel(it.value());
        if (onClientDisconnected)
            onClientDisconnected(it.key());
    }
    const qint64 generation = m_generation;
    if (const std::optional<QString> error =
            makeListener(pairingCode, restartRetries, generation)) {
        qCCritical(lcHostServer, "Listener failed: %s", qUtf8Printable(*error));
        reportListenerState(generation, ListenerState::failed(*error));
    }
}

void HostServer::stop()
{
    m_stopped = true;
    ++m_generation;
    dropListener();
    const QHash<QUuid, Connection> dropped = std::exchange(m_connections, {});
    m_authenticated.clear();
    m_waiting.clear();
    m_watchdog.stop();
    for (const Connection &connection : dropped)
        cancel(connection);
}

bool HostServer::markAuthenticated(const QUuid &id)
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend())
        return false;
    if (m_authenticated.contains(id))
        return true;
    if (m_authenticated.size() >= maxPairedLinks) {
        qCWarning(lcHostServer, "Refusing client %s: %d paired devices are already connected",
                  qUtf8Printable(it->record.endpoint), maxPairedLinks);
        sendAndClose(Message(Message::Error{Message::ErrorCode::unauthorized,
                                            QStringLiteral("too many devices are connected")}),
                     id);
        return false;
    }
    m_waiting.remove(id);
    m_authenticated.insert(id);
    return true;
}

void HostServer::reportFailedAuthentication(const QUuid &id)
{
    const auto it = m_connections.constFind(id);
    if (it != m_connections.cend())
        m_penalties.recordFailure(it->source);
}

std::optional<qint64> HostServer::queuedBytes(const QUuid &id) const
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend())
        return std::nullopt;
    return pendingBytes(it->tls);
}

void HostServer::setClock(LinkClock clock)
{
    m_clock = clock;
    m_penalties.setClock(clock);
    m_refusals.setClock(std::move(clock));
}

bool HostServer::send(const Message &message, const QUuid &to)
{
    const auto it = m_connections.find(to);
    if (it == m_connections.end())
        return false;
    QString error;
    const std::optional<QString> text = encodeForLink(message, &error);
    if (!text) {
        qCWarning(lcHostServer, "Not sending a message: %s", qUtf8Printable(error));
        return false;
    }
    return write(to, it.value(), *text);
}

bool HostServer::broadcast(const Message &message)
{
    QString error;
    const std::optional<QString> text = encodeForLink(message, &error);
    if (!text) {
        qCWarning(lcHostServer, "Not broadcasting a message: %s", qUtf8Printable(error));
        return false;
    }
    for (const QUuid &id : std::as_const(m_authenticated)) {
        const auto it = m_connections.find(id);
        if (it != m_connections.end())
            write(id, it.value(), *text);
    }
    return true;
}

bool HostServer::sendAndClose(const std::optional<Message> &message, const QUuid &to)
{
    const auto it = m_connections.find(to);
    if (it == m_connections.end())
        return false;
    bool sent = true;
    if (message) {
        QString error;
        const std::optional<QString> text = encodeForLink(*message, &error);
        if (text) {
            sent = write(to, it.value(), *text);
        } else {
            qCWarning(lcHostServer, "Not sending a last message: %s", qUtf8Printable(error));
            sent = false;
        }
    }
    it->closing = true;
    // The WebSocket close goes out behind the bytes just written, so the peer reads them first.
    closeLater(to);
    return sent;
}

void HostServer::sendAndCloseAll(const Message &message)
{
    for (const QUuid &id : m_connections.keys()) {
        QMetaObject::invokeMethod(
            this, [this, message, id] { sendAndClose(message, id); }, Qt::QueuedConnection);
    }
}

std::optional<quint16> HostServer::listeningPort() const
{
    if (!m_listener || !m_listener->isListening())
        return std::nullopt;
    return m_listener->serverPort();
}

std::optional<HostServer::Client> HostServer::client(const QUuid &id) const
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend())
        return std::nullopt;
    return it->record;
}

std::optional<QString> HostServer::makeListener(const PairingToken &code, int retries,
                                                qint64 generation)
{
    if (generation != m_generation)
        return std::nullopt;
    if (!QSslSocket::isFeatureSupported(QSsl::SupportedFeature::Psk))
        return QStringLiteral("this system's TLS library offers no pre-shared keys");

    auto *listener = new LinkListener(makeParameters(code), this);
    connect(listener, &LinkListener::accepted, this,
            [this, listener](qintptr descriptor) { accept(listener, descriptor); });
    if (!listener->listen(QHostAddress::Any, m_port)) {
        const bool portHeld = listener->serverError() == QAbstractSocket::AddressInUseError;
        const QString error = listener->errorString();
        delete listener;
        if (portHeld && retries > 0) {
            QTimer::singleShot(retryDelay, this, [this, code, retries, generation] {
                makeListener(code, retries - 1, generation);
            });
            return std::nullopt;
        }
        qCCritical(lcHostServer, "Listener failed: %s", qUtf8Printable(error));
        reportListenerState(generation, ListenerState::failed(error));
        return std::nullopt;
    }

    if (m_listener)
        dropListener();
    m_listener = listener;
    m_port = listener->serverPort();
    m_publisher->publish(ServiceDescription{
        m_serviceName,
        serviceType,
        {},
        m_port,
        {{QStringLiteral("v"), QString::number(Message::protocolVersion)},
         {QStringLiteral("id"), m_hostID}},
    });
    reportListenerState(generation, ListenerState::ready());
    return std::nullopt;
}

void HostServer::reportListenerState(qint64 generation, const ListenerState &state)
{
    // Told from the event loop, as a listener's own state changes would be; a listener that was
    // replaced or stopped meanwhile tells nobody.
    QMetaObject::invokeMethod(
        this,
        [this, generation, state] {
            if (generation != m_generation)
                return;
            if (state.kind == ListenerState::Kind::ready) {
                qCInfo(lcHostServer, "Listening on port %hu (TLS-PSK), advertising %s", m_port,
                       qUtf8Printable(m_serviceName));
            }
            if (onStateChanged)
                onStateChanged(state);
        },
        Qt::QueuedConnection);
}

void HostServer::accept(LinkListener *listener, qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return;
    }
    const QHostAddress source = WaitingPool::sourceOf(socket->peerAddress());
    const QString endpoint = endpointText(*socket);
    if (!admit(source, endpoint)) {
        socket->abort();
        delete socket;
        return;
    }
    listener->parameters().configureServerSocket(*socket);

    const QUuid id = QUuid::createUuid();
    m_connections.insert(
        id,
        Connection{Client{id, endpoint, std::nullopt}, socket, {}, false, source, std::nullopt});
    m_waiting.add(id, source);
    // Precise: a coarse timer of this length may fire up to 5 % early, and the limit is a promise
    // to the device that it gets the whole time.
    QTimer::singleShot(handshakeTimeout, Qt::PreciseTimer, this,
                       [this, id] { checkHandshake(id); });
    QTimer::singleShot(transportTimeout, this, [this, id] { checkTransport(id); });

    // These hold until the WebSocket upgrade is done; from then on the receive loop watches.
    connect(socket, &QSslSocket::encrypted, this,
            [this, socket] { m_upgrader.handleConnection(socket); });
    connect(socket, &QAbstractSocket::errorOccurred, this,
            [this, id, socket](QAbstractSocket::SocketError error) {
                if (error == QAbstractSocket::SslHandshakeFailedError) {
                    const auto it = m_connections.constFind(id);
                    if (it != m_connections.cend())
                        m_penalties.recordFailure(it->source);
                }
                handleHandshakeEnd(id, socket->errorString());
            });
    connect(socket, &QAbstractSocket::disconnected, this, [this, id] { closeLater(id); });
    socket->startServerEncryption();
}

bool HostServer::admit(const QHostAddress &source, const QString &endpoint)
{
    const std::chrono::milliseconds penalty = m_penalties.remaining(source);
    if (penalty.count() > 0) {
        if (logsInFull(source)) {
            qCWarning(lcHostServer,
                      "Refusing a connection from %s for %lld ms more: too many failed attempts",
                      qUtf8Printable(endpoint), milliseconds(penalty));
        }
        return false;
    }
    const WaitingPool::Admission admission = m_waiting.admit(source);
    if (admission.kind != WaitingPool::Admission::Kind::admit) {
        if (logsInFull(source)) {
            qCWarning(lcHostServer, "Refusing a connection: %lld are already waiting to pair",
                      static_cast<long long>(admission.waiting));
        }
        return false;
    }
    if (admission.evict) {
        const auto evicted = m_connections.constFind(*admission.evict);
        if (evicted != m_connections.cend() && logsInFull(evicted->source)) {
            qCWarning(lcHostServer,
                      "Closing waiting client %s to make room for one from another address",
                      qUtf8Printable(evicted->record.endpoint));
        }
        drop(*admission.evict);
    }
    return true;
}

bool HostServer::logsInFull(const QHostAddress &source)
{
    const bool inFull = m_refusals.note(source);
    if (!m_refusalSummaries.isActive()) {
        m_refusalSummaries.start(summaryInterval);
    }
    return inFull;
}

void HostServer::logRefusalSummaries()
{
    for (const RefusalLog::Summary &summary : m_refusals.takeEnded()) {
        qCWarning(lcHostServer,
                  "Not logged one by one: %d more refused or failed connections or unreadable "
                  "messages from %s in the last minute",
                  summary.unlogged, qUtf8Printable(summary.source.toString()));
    }
    if (m_refusals.isEmpty())
        m_refusalSummaries.stop();
}

void HostServer::handleHandshakeEnd(const QUuid &id, const QString &error)
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend())
        return;
    if (logsInFull(it->source)) {
        qCWarning(lcHostServer, "Client %s failed handshake: %s",
                  qUtf8Printable(it->record.endpoint), qUtf8Printable(error));
    }
    closeLater(id);
}

void HostServer::handleUpgraded()
{
    while (m_upgrader.hasPendingConnections()) {
        QWebSocket *webSocket = m_upgrader.nextPendingConnection();
        webSocket->setParent(this);
        // QWebSocket does not say which socket it wraps. Both ends' addresses and ports name one
        // TCP connection; the peer's alone do not, when a peer reaches two of our addresses from
        // one port.
        auto it = m_connections.begin();
        for (; it != m_connections.end(); ++it) {
            const QSslSocket *tls = it->tls;
            if (tls && !it->webSocket && tls->peerAddress() == webSocket->peerAddress() &&
                tls->peerPort() == webSocket->peerPort() &&
                tls->localAddress() == webSocket->localAddress() &&
                tls->localPort() == webSocket->localPort()) {
                break;
            }
        }
        if (it == m_connections.end()) {
            webSocket->abort();
            webSocket->deleteLater();
            continue;
        }
        QObject::disconnect(it->tls, nullptr, this, nullptr);
        LinkParameters::applyMessageLimits(*webSocket);
        webSocket->setReadBufferSize(incomingReadAhead);
        it->webSocket = webSocket;
        it->outgoing.emplace(outgoingLimits, m_clock());
        connect(it->tls, &QSslSocket::encryptedBytesWritten, this, [this, id = it.key()] {
            const auto found = m_connections.find(id);
            if (found != m_connections.end() && found->outgoing)
                found->outgoing->noteProgress(m_clock());
        });
        if (!m_watchdog.isActive())
            m_watchdog.start(watchdogInterval);
        const QUuid id = it.key();
        const Client record = it->record;
        qCInfo(lcHostServer, "Client connected: %s", qUtf8Printable(record.endpoint));
        receiveMessages(
            webSocket, this, [this, id](const Message &message) { handleMessage(id, message); },
            [this, id](const std::optional<QString> &) { closeLater(id); });
        if (onClientConnected) {
            // The owner may drop the server in its callback; then nothing more is done here.
            const QPointer<HostServer> alive(this);
            onClientConnected(record);
            if (!alive)
                return;
        }
    }
}

void HostServer::handleMessage(const QUuid &id, const Message &message)
{
    if (const std::optional<QString> overlong = DeviceText::overlongId(message)) {
        const auto it = m_connections.constFind(id);
        if (it != m_connections.cend() && logsInFull(it->source)) {
            qCWarning(lcHostServer, "Dropping a message from %s with an id of %lld characters: %s",
                      qUtf8Printable(it->record.endpoint), static_cast<long long>(overlong->size()),
                      qUtf8Printable(OutsideText::forLog(*overlong)));
        }
        return;
    }
    if (const auto *hello = message.as<Message::Hello>()) {
        Message::Hello cleaned = *hello;
        cleaned.clientName = DeviceText::deviceName(hello->clientName);
        // After this delivery, so the owner sees the hello before the record changes.
        QMetaObject::invokeMethod(
            this,
            [this, id, name = cleaned.clientName] {
                const auto it = m_connections.find(id);
                if (it != m_connections.end())
                    it->record.name = name;
            },
            Qt::QueuedConnection);
        if (onMessage)
            onMessage(id, Message(std::move(cleaned)));
        return;
    }
    if (onMessage)
        onMessage(id, message);
}

void HostServer::checkHandshake(const QUuid &id)
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend() || m_authenticated.contains(id))
        return;
    m_penalties.recordFailure(it->source);
    if (logsInFull(it->source)) {
        qCWarning(lcHostServer, "Closing client that never authenticated: %s",
                  qUtf8Printable(it->record.endpoint));
    }
    sendAndClose(Message(Message::Error{Message::ErrorCode::unauthorized,
                                        QStringLiteral("handshake timed out")}),
                 id);
}

void HostServer::checkTransport(const QUuid &id)
{
    const auto it = m_connections.constFind(id);
    if (it == m_connections.cend() || it->webSocket)
        return;
    m_penalties.recordFailure(it->source);
    if (logsInFull(it->source)) {
        qCWarning(lcHostServer, "Closing client %s: no TLS and WebSocket handshakes within %lld ms",
                  qUtf8Printable(it->record.endpoint), milliseconds(transportTimeout));
    }
    drop(id);
}

void HostServer::checkOutgoing()
{
    const auto now = m_clock();
    QList<QUuid> stalled;
    bool anyLink = false;
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (!it->outgoing)
            continue;
        anyLink = true;
        const qint64 queued = pendingBytes(it->tls);
        const OutgoingWatchdog::Verdict verdict = it->outgoing->check(queued, now);
        if (verdict == OutgoingWatchdog::Verdict::fine)
            continue;
        qCWarning(lcHostServer, "Closing client %s: %lld bytes wait to be sent, %s",
                  qUtf8Printable(it->record.endpoint), queued,
                  verdict == OutgoingWatchdog::Verdict::stalled ? "none sent for too long"
                                                                : "more than a link may queue");
        stalled.append(it.key());
    }
    for (const QUuid &id : std::as_const(stalled))
        drop(id);
    if (!anyLink)
        m_watchdog.stop();
}

bool HostServer::write(const QUuid &id, Connection &connection, const QString &text)
{
    // A connection still in its handshakes has nowhere to put a message yet; one that has had its
    // last message, or whose link is already closing, takes no more.
    if (!connection.webSocket || connection.closing ||
        connection.webSocket->state() != QAbstractSocket::ConnectedState)
        return false;
    const auto now = m_clock();
    // A queue that starts now has not been stalling before.
    if (connection.outgoing && pendingBytes(connection.tls) == 0)
        connection.outgoing->noteProgress(now);
    connection.webSocket->sendTextMessage(text);
    if (!connection.outgoing)
        return true;
    const qint64 queued = pendingBytes(connection.tls);
    if (connection.outgoing->check(queued, now) != OutgoingWatchdog::Verdict::overLimit)
        return true;
    qCWarning(lcHostServer,
              "Closing client %s: %lld bytes wait to be sent, more than a link may queue",
              qUtf8Printable(connection.record.endpoint), queued);
    // Cut at once, which frees the queue; the tables follow on the next turn, as the caller may
    // be going through them.
    connection.closing = true;
    connection.webSocket->abort();
    closeLater(id);
    return false;
}

void HostServer::drop(const QUuid &id)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    it->closing = true;
    if (it->webSocket)
        it->webSocket->abort();
    else if (it->tls)
        it->tls->abort();
    close(id);
}

void HostServer::close(const QUuid &id)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    const Connection connection = it.value();
    m_connections.erase(it);
    m_authenticated.remove(id);
    m_waiting.remove(id);
    cancel(connection);
    qCInfo(lcHostServer, "Client disconnected");
    if (onClientDisconnected)
        onClientDisconnected(id);
}

void HostServer::closeLater(const QUuid &id)
{
    QMetaObject::invokeMethod(
        this, [this, id] { close(id); }, Qt::QueuedConnection);
}

void HostServer::cancel(const Connection &connection)
{
    // A connection may be cancelled while its socket is still inside one of its own signals (a
    // stop from a callback), and the server may be dropped right after: from here on the sockets
    // go by their own deferred deletes, not with the server.
    if (connection.tls)
        QObject::disconnect(connection.tls, nullptr, this, nullptr);
    if (QWebSocket *webSocket = connection.webSocket) {
        QObject::disconnect(webSocket, nullptr, this, nullptr);
        webSocket->setParent(nullptr);
        // The upgrader, which would otherwise delete the TLS socket once it closes, may go with
        // the server; the WebSocket takes its transport along instead.
        if (connection.tls)
            connection.tls->setParent(webSocket);
        if (webSocket->state() == QAbstractSocket::UnconnectedState) {
            webSocket->deleteLater();
        } else {
            // The socket goes once its close, queued behind everything sent, is out, or once a
            // peer that does not take it has had long enough.
            connect(webSocket, &QWebSocket::disconnected, webSocket, &QObject::deleteLater);
            QTimer::singleShot(closeGrace, webSocket, &QWebSocket::abort);
            webSocket->close();
        }
    } else if (QSslSocket *tls = connection.tls) {
        // Still in its handshakes: nothing of ours is on its way to the peer.
        tls->setParent(nullptr);
        tls->abort();
        tls->deleteLater();
    }
}

void HostServer::dropListener()
{
    if (m_listener) {
        m_listener->close();
        m_listener->deleteLater();
        m_listener = nullptr;
    }
    m_publisher->stop();
}

} // namespace Quorvel

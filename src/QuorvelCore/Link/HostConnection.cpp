#include "QuorvelCore/Link/HostConnection.h"

#include "Platform/Discovery/ServiceDiscovery.h"
#include "Platform/Discovery/ServiceResolver.h"
#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Logging.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <utility>

namespace Quorvel {

namespace {

// While the host refuses or cannot be found the attempt goes on, trying this often until the
// connect time-out ends it.
constexpr std::chrono::seconds waitingRetryDelay{1};

bool isTlsFailure(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::SslHandshakeFailedError ||
           error == QAbstractSocket::SslInternalError ||
           error == QAbstractSocket::SslInvalidUserDataError;
}

// No route to any network at all (ENETUNREACH): this machine is off the network. Qt gives a host
// that does not answer on a network we do reach (EHOSTUNREACH, ETIMEDOUT) the same error code, and
// only its text, made in Qt's own translation context, tells the two apart.
bool isNetworkDown(QAbstractSocket::SocketError error, const QString &reason)
{
    return error == QAbstractSocket::NetworkError &&
           reason == QCoreApplication::translate("QNativeSocketEngine", "Network unreachable");
}

// The route to the host is not usable yet: the attempt waits and tries again.
bool isRouteProblem(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::ConnectionRefusedError ||
           error == QAbstractSocket::HostNotFoundError ||
           error == QAbstractSocket::SocketTimeoutError || error == QAbstractSocket::NetworkError;
}

} // namespace

HostConnection::HostConnection(HostEndpoint endpoint, QString clientName, const PairingToken &code,
                               QObject *parent)
    : HostConnection(systemServiceDiscovery(), std::move(endpoint), std::move(clientName), code,
                     parent)
{}

HostConnection::HostConnection(ServiceDiscovery &discovery, HostEndpoint endpoint,
                               QString clientName, const PairingToken &code, QObject *parent)
    : QObject(parent), m_discovery(discovery), m_endpoint(std::move(endpoint)),
      m_clientName(std::move(clientName)), m_parameters(makeParameters(code))
{}

HostConnection::HostConnection(const QString &host, quint16 port, QString clientName,
                               const PairingToken &code, QObject *parent)
    : HostConnection(HostPortEndpoint{host, port}, std::move(clientName), code, parent)
{}

HostConnection::~HostConnection()
{
    // The owner is letting go: end the link, but tell nobody.
    m_streaming = false;
    dropSocket();
}

void HostConnection::start()
{
    if (m_started)
        return;
    m_started = true;
    m_streaming = true;
    report(Status::connecting());
    QTimer::singleShot(connectTimeout, this, &HostConnection::checkConnectTimeout);
    if (const auto *hostPort = std::get_if<HostPortEndpoint>(&m_endpoint))
        connectTo(hostPort->host, hostPort->port);
    else
        resolve(resolveTimeout, Resolution::first);
}

bool HostConnection::send(const Message &message)
{
    if (!m_socket || !m_ready)
        return false;
    QString error;
    const std::optional<QString> text = encodeForLink(message, &error);
    if (!text) {
        qCCritical(lcHostConnection, "send failed: %s", qUtf8Printable(error));
        return false;
    }
    m_socket->sendTextMessage(*text);
    return true;
}

void HostConnection::disconnectFromHost()
{
    dropSocket();
    // Later: this may run inside the resolver's own report.
    if (m_resolver)
        m_resolver->deleteLater();
    if (m_streaming) {
        m_streaming = false;
        emit finished();
    }
}

void HostConnection::report(const Event &event)
{
    if (m_streaming)
        emit eventOccurred(event);
}

void HostConnection::resolve(std::chrono::milliseconds timeout, Resolution stage)
{
    const auto &service = std::get<ServiceEndpoint>(m_endpoint);
    m_resolver = Quorvel::resolve(m_discovery, service.name, service.type, service.domain, timeout,
                                  this, [this, stage](const std::optional<ResolvedHost> &result) {
                                      handleResolution(result, stage);
                                  });
}

void HostConnection::handleResolution(const std::optional<ResolvedHost> &result, Resolution stage)
{
    if (!m_streaming)
        return;
    const auto &service = std::get<ServiceEndpoint>(m_endpoint);
    if (result) {
        if (stage == Resolution::first) {
            qCDebug(lcHostConnection, "resolved %s to %s:%hu",
                    qUtf8Printable(OutsideText::forLog(service.name)),
                    qUtf8Printable(OutsideText::forLog(result->hostName)), result->port);
            report(
                Status::resolved(QStringLiteral("%1:%2").arg(result->hostName).arg(result->port)));
        }
        connectTo(result->host, result->port);
        return;
    }
    switch (stage) {
    case Resolution::first:
        qCWarning(lcHostConnection, "could not resolve %s; using the service endpoint",
                  qUtf8Printable(OutsideText::forLog(service.name)));
        // Going to the service itself means resolving it with no limit of its own: the connect
        // time-out ends the attempt.
        resolve(connectTimeout, Resolution::fallback);
        return;
    case Resolution::fallback:
        return;
    case Resolution::retry:
        // Nothing newer is known: the address found before is still the best guess.
        connectTo(m_host, m_port);
        return;
    }
}

void HostConnection::connectTo(const QString &host, quint16 port)
{
    m_host = host;
    m_port = port;
    auto *socket = new QWebSocket(QString(), QWebSocketProtocol::Version13, this);
    m_socket = socket;
    m_parameters.configureClientSocket(*socket);
    connect(socket, &QWebSocket::connected, this, &HostConnection::handleReady);
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            &HostConnection::handleSocketError);
    // QWebSocket may tell of the end before the error that caused it; look once both are in.
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        QMetaObject::invokeMethod(
            this,
            [this, socket] {
                if (m_socket == socket)
                    handleSocketError();
            },
            Qt::QueuedConnection);
    });
    QUrl url;
    url.setScheme(QStringLiteral("wss"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(QStringLiteral("/"));
    socket->open(url);
}

void HostConnection::handleSocketError()
{
    QWebSocket *socket = m_socket;
    if (!socket)
        return;
    const QAbstractSocket::SocketError error = socket->error();
    const QString reason = socket->errorString();
    // A refusal after TLS came from the WebSocket upgrade, not from the route to the host.
    const bool reachedHost = socket->sslConfiguration().sessionProtocol() != QSsl::UnknownProtocol;
    dropSocket();
    if (isTlsFailure(error)) {
        report(Status::rejected(reason));
        disconnectFromHost();
    } else if (!reachedHost && isNetworkDown(error, reason)) {
        qCCritical(lcHostConnection, "network down: %s", qUtf8Printable(reason));
        report(Status::networkDown(reason));
        disconnectFromHost();
    } else if (!reachedHost && isRouteProblem(error)) {
        reportWaiting(reason);
        QTimer::singleShot(waitingRetryDelay, this, [this] {
            if (!m_streaming || m_socket)
                return;
            // A host that restarted listens on a new port, and the address first found may
            // have come from its old advertisement: a found service is looked up again.
            if (std::holds_alternative<ServiceEndpoint>(m_endpoint))
                resolve(resolveTimeout, Resolution::retry);
            else
                connectTo(m_host, m_port);
        });
    } else if (error == QAbstractSocket::UnknownSocketError) {
        report(Status::disconnected(std::nullopt));
        disconnectFromHost();
    } else {
        report(Status::disconnected(reason));
        disconnectFromHost();
    }
}

void HostConnection::reportWaiting(const QString &reason)
{
    if (m_waitingReason == reason)
        return;
    m_waitingReason = reason;
    qCCritical(lcHostConnection, "waiting: %s", qUtf8Printable(reason));
    report(Status::waiting(reason));
}

void HostConnection::handleReady()
{
    QWebSocket *socket = m_socket;
    QObject::disconnect(socket, nullptr, this, nullptr);
    m_ready = true;
    receiveMessages(
        socket, this, [this](const Message &message) { report(message); },
        [this](const std::optional<QString> &error) {
            report(Status::disconnected(error));
            disconnectFromHost();
        });
    const std::optional<QString> summary = tlsSummary(socket->sslConfiguration());
    qCInfo(lcHostConnection, "connected over %s",
           summary ? qUtf8Printable(*summary) : "unknown TLS");
    report(Status::connected(summary));
}

void HostConnection::checkConnectTimeout()
{
    if (!m_streaming || m_ready)
        return;
    qCCritical(lcHostConnection, "connect timed out");
    report(Status::disconnected(QStringLiteral("timed out connecting")));
    disconnectFromHost();
}

void HostConnection::dropSocket()
{
    QWebSocket *socket = m_socket;
    if (!socket)
        return;
    m_socket = nullptr;
    QObject::disconnect(socket, nullptr, this, nullptr);
    // The link may end while the socket is still inside one of its own signals, and the owner may
    // drop this object in reply: from here on the socket goes by its own deferred delete, not
    // with this object.
    socket->setParent(nullptr);
    if (socket->state() == QAbstractSocket::ConnectedState) {
        // The close goes out behind everything sent before it.
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        socket->close();
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

} // namespace Quorvel

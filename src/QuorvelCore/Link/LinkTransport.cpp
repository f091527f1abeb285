#include "QuorvelCore/Link/LinkTransport.h"

#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCipher>
#include <QWebSocket>

#include <array>
#include <memory>
#include <utility>

namespace Quorvel {

namespace {

// TLS version codes as they travel in the handshake.
constexpr quint16 tls12 = 0x0303;
constexpr quint16 tls13 = 0x0304;

// Qt names versions and suites, it does not number them. The link allows TLS 1.2 with one suite
// only, so these are all a session of ours can report.
constexpr std::array<std::pair<const char *, quint16>, 1> suiteCodes{{
    {LinkParameters::cipherName, 0x00A8},
}};

std::optional<quint16> versionCode(QSsl::SslProtocol protocol)
{
    switch (protocol) {
    case QSsl::TlsV1_3:
        return tls13;
    case QSsl::TlsV1_2:
        return tls12;
    default:
        return std::nullopt;
    }
}

std::optional<quint16> suiteCode(const QSslCipher &cipher)
{
    for (const auto &[name, code] : suiteCodes) {
        if (cipher.name() == QLatin1String(name))
            return code;
    }
    return std::nullopt;
}

// One receive loop: it delivers until the link ends, then lets go of the socket's signals.
struct ReceiveLoop {
    std::function<void(const Message &)> onMessage;
    std::function<void(const std::optional<QString> &)> onEnd;
    QList<QMetaObject::Connection> connections;
    bool ended = false;

    void deliver(const QByteArray &bytes) const
    {
        if (ended)
            return;
        if (const std::optional<Message> message = WireCodec::decode(bytes))
            onMessage(*message);
    }

    void end(const std::optional<QString> &error)
    {
        if (ended)
            return;
        ended = true;
        for (const QMetaObject::Connection &connection : std::as_const(connections))
            QObject::disconnect(connection);
        onEnd(error);
    }
};

// A close that either end asks for in the ordinary way is a clean end; any other close code
// means the link broke (for example a message over the limit).
std::optional<QString> closeError(const QWebSocket &socket)
{
    const QWebSocketProtocol::CloseCode code = socket.closeCode();
    if (code == QWebSocketProtocol::CloseCodeNormal ||
        code == QWebSocketProtocol::CloseCodeGoingAway)
        return std::nullopt;
    if (!socket.closeReason().isEmpty())
        return socket.closeReason();
    return QStringLiteral("closed with code %1").arg(int(code));
}

} // namespace

QString tlsSummary(quint16 version, quint16 cipherSuite)
{
    QString text;
    switch (version) {
    case tls13:
        text = QStringLiteral("TLS 1.3");
        break;
    case tls12:
        text = QStringLiteral("TLS 1.2");
        break;
    default:
        text = QStringLiteral("TLS (%1)").arg(version);
        break;
    }
    return text + QStringLiteral(" / 0x") + QString::number(cipherSuite, 16).toUpper();
}

std::optional<QString> tlsSummary(const QSslConfiguration &session)
{
    const std::optional<quint16> version = versionCode(session.sessionProtocol());
    const std::optional<quint16> suite = suiteCode(session.sessionCipher());
    if (!version || !suite)
        return std::nullopt;
    return tlsSummary(*version, *suite);
}

std::optional<QString> encodeForLink(const Message &message, QString *error)
{
    const std::optional<QByteArray> bytes = WireCodec::encode(message, error);
    if (!bytes)
        return std::nullopt;
    if (bytes->size() > LinkParameters::maxMessageSize) {
        if (error) {
            *error = QStringLiteral("the message is %1 bytes, more than the link's limit of %2")
                         .arg(bytes->size())
                         .arg(LinkParameters::maxMessageSize);
        }
        return std::nullopt;
    }
    return QString::fromUtf8(*bytes);
}

void receiveMessages(QWebSocket *socket, QObject *context,
                     std::function<void(const Message &)> onMessage,
                     std::function<void(const std::optional<QString> &error)> onEnd)
{
    auto loop = std::make_shared<ReceiveLoop>();
    loop->onMessage = std::move(onMessage);
    loop->onEnd = std::move(onEnd);
    loop->connections = {
        QObject::connect(socket, &QWebSocket::textMessageReceived, context,
                         [loop](const QString &text) { loop->deliver(text.toUtf8()); }),
        QObject::connect(socket, &QWebSocket::binaryMessageReceived, context,
                         [loop](const QByteArray &bytes) { loop->deliver(bytes); }),
        QObject::connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error),
                         context,
                         [loop, socket](QAbstractSocket::SocketError error) {
                             // The peer closing its side is the end of its data, not a failure.
                             if (error == QAbstractSocket::RemoteHostClosedError)
                                 loop->end(std::nullopt);
                             else
                                 loop->end(socket->errorString());
                         }),
        // QWebSocket may tell of the end before the error that caused it; the error, if any,
        // comes within the same turn of the event loop and then wins.
        QObject::connect(socket, &QWebSocket::disconnected, context,
                         [loop, socket = QPointer<QWebSocket>(socket), context] {
                             QMetaObject::invokeMethod(
                                 context,
                                 [loop, socket] {
                                     loop->end(socket ? closeError(*socket) : std::nullopt);
                                 },
                                 Qt::QueuedConnection);
                         }),
    };
}

} // namespace Quorvel

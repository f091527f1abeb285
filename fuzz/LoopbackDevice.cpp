#include "LoopbackDevice.h"

#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

namespace Quorvel {

LoopbackDevice::LoopbackDevice(quint16 port, const PairingToken &code)
    : m_code(code), m_parameters(makeParameters(code)), m_port(port),
      m_socket(std::make_unique<QWebSocket>(QString(), QWebSocketProtocol::Version13))
{
    m_parameters.configureClientSocket(*m_socket);
}

LoopbackDevice::~LoopbackDevice()
{
    m_socket->abort();
}

std::optional<QUuid> LoopbackDevice::pair(const HostCoordinator &coordinator)
{
    QObject::connect(m_socket.get(), &QWebSocket::connected, m_socket.get(), [this] {
        receiveMessages(
            m_socket.get(), m_socket.get(), [this](const Message &message) { receive(message); },
            [this](const std::optional<QString> &) { m_disconnected = true; });
    });
    QObject::connect(m_socket.get(), &QWebSocket::disconnected, m_socket.get(),
                     [this] { m_disconnected = true; });
    QUrl url;
    url.setScheme(QStringLiteral("wss"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_port);
    url.setPath(QStringLiteral("/"));
    m_socket->open(url);
    if (!waitUntil([this] { return m_nonce.has_value() || m_disconnected; }, pairingTimeout) ||
        !m_nonce) {
        return std::nullopt;
    }
    // The coordinator keeps the nonce it sent under the server's id for this link.
    const QUuid id = coordinator.pendingNonces().key(*m_nonce);
    if (id.isNull()) {
        return std::nullopt;
    }
    send(Message(Message::Hello{QStringLiteral("Fuzzer"), Message::protocolVersion,
                                m_code.proof(*m_nonce), std::nullopt}));
    if (!waitUntil(
            [&] { return coordinator.authenticatedClients().contains(id) || m_disconnected; },
            pairingTimeout) ||
        m_disconnected) {
        return std::nullopt;
    }
    return id;
}

void LoopbackDevice::sendBinary(const QByteArray &bytes)
{
    m_socket->sendBinaryMessage(bytes);
}

void LoopbackDevice::sendText(const QByteArray &bytes)
{
    m_socket->sendTextMessage(QString::fromUtf8(bytes));
}

bool LoopbackDevice::send(const Message &message)
{
    const std::optional<QString> text = encodeForLink(message);
    if (!text) {
        return false;
    }
    m_socket->sendTextMessage(*text);
    return true;
}

void LoopbackDevice::receive(const Message &message)
{
    if (const auto *challenge = message.as<Message::Challenge>()) {
        m_nonce = challenge->nonce;
    } else if (const auto *result = message.as<Message::TestResult>()) {
        m_answered.insert(result->requestID);
    } else if (const auto *action = message.as<Message::ActionResult>()) {
        m_answered.insert(action->requestID);
    } else if (const auto *update = message.as<Message::DeckUpdateResult>()) {
        m_answered.insert(update->requestID);
    }
}

bool LoopbackDevice::waitUntil(const std::function<bool()> &condition,
                               std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    // Wakes the loop at the deadline, should no other event come.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeout);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace Quorvel

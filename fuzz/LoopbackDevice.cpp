#include "LoopbackDevice.h"

#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace Quorvel {

LoopbackDevice::LoopbackDevice(quint16 port, const PairingToken &code)
    : m_code(code), m_connection(std::make_unique<HostConnection>(QStringLiteral("127.0.0.1"), port,
                                                                  QStringLiteral("Fuzzer"), code))
{
    QObject::connect(m_connection.get(), &HostConnection::eventOccurred, m_connection.get(),
                     [this](const HostConnection::Event &event) {
                         if (const auto *message = std::get_if<Message>(&event)) {
                             if (const auto *challenge = message->as<Message::Challenge>()) {
                                 m_nonce = challenge->nonce;
                             }
                         } else if (std::get<HostConnection::Status>(event).kind ==
                                    HostConnection::Status::Kind::disconnected) {
                             m_disconnected = true;
                         }
                     });
}

std::optional<QUuid> LoopbackDevice::pair(const HostCoordinator &coordinator)
{
    m_connection->start();
    if (!waitUntil([this] { return m_nonce.has_value() || m_disconnected; }, pairingTimeout) ||
        !m_nonce) {
        return std::nullopt;
    }
    // The coordinator keeps the nonce it sent under the server's id for this link.
    const QUuid id = coordinator.pendingNonces().key(*m_nonce);
    if (id.isNull()) {
        return std::nullopt;
    }
    m_connection->send(Message(Message::Hello{m_connection->clientName(), Message::protocolVersion,
                                              m_code.proof(*m_nonce), std::nullopt}));
    if (!waitUntil(
            [&] { return coordinator.authenticatedClients().contains(id) || m_disconnected; },
            pairingTimeout) ||
        m_disconnected) {
        return std::nullopt;
    }
    return id;
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

#pragma once

#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QWebSocket;

namespace Quorvel {

class HostCoordinator;
class Message;

// A device on the far end of a real TLS-PSK WebSocket link over loopback, paired through the
// host's own door: the host's server accepts the connection, the coordinator challenges it, and
// the device's hello proves the code. Afterwards it sends any bytes as one WebSocket message each,
// so they take the whole way a device's message takes into the host. Of what the host sends it
// keeps only the request ids of the answers.
class LoopbackDevice {
public:
    // Far beyond a loopback handshake and pairing, even under the sanitizers on a busy machine.
    static constexpr std::chrono::seconds pairingTimeout{10};

    LoopbackDevice(quint16 port, const PairingToken &code);
    ~LoopbackDevice();
    LoopbackDevice(const LoopbackDevice &) = delete;
    LoopbackDevice &operator=(const LoopbackDevice &) = delete;

    // Connects, answers the host's challenge and waits until the coordinator counts the link as
    // paired. Returns the id the host's server gave the link; none when pairing failed.
    std::optional<QUuid> pair(const HostCoordinator &coordinator);
    // The bytes as one binary message, or as one text message of their UTF-8 reading.
    void sendBinary(const QByteArray &bytes);
    void sendText(const QByteArray &bytes);
    // Sends the message as a device would; false when it did not go out.
    bool send(const Message &message);
    // The host has answered the request of that id (with a result or a refusal).
    bool answered(const QString &requestID) const { return m_answered.contains(requestID); }
    // The link has ended, from either side.
    bool disconnected() const { return m_disconnected; }

    // Runs the event loop until `condition` holds or the time is up; false in the latter case.
    static bool waitUntil(const std::function<bool()> &condition,
                          std::chrono::milliseconds timeout);

private:
    void receive(const Message &message);

    PairingToken m_code;
    LinkParameters m_parameters;
    quint16 m_port;
    std::unique_ptr<QWebSocket> m_socket;
    std::optional<QString> m_nonce;
    QSet<QString> m_answered;
    bool m_disconnected = false;
};

} // namespace Quorvel

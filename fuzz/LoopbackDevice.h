#pragma once

#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace Quorvel {

class HostCoordinator;

// A device on the far end of a real TLS-PSK link over loopback, paired through the host's own
// door: the host's server accepts the connection, the coordinator challenges it, and the device's
// hello proves the code. What the host sends afterwards is read and let go.
class LoopbackDevice {
public:
    // Far beyond a loopback handshake and pairing, even under the sanitizers on a busy machine.
    static constexpr std::chrono::seconds pairingTimeout{10};

    LoopbackDevice(quint16 port, const PairingToken &code);
    LoopbackDevice(const LoopbackDevice &) = delete;
    LoopbackDevice &operator=(const LoopbackDevice &) = delete;

    // Connects, answers the host's challenge and waits until the coordinator counts the link as
    // paired. Returns the id the host's server gave the link; none when pairing failed.
    std::optional<QUuid> pair(const HostCoordinator &coordinator);
    // The link has ended, from either side.
    bool disconnected() const { return m_disconnected; }

    // Runs the event loop until `condition` holds or the time is up; false in the latter case.
    static bool waitUntil(const std::function<bool()> &condition,
                          std::chrono::milliseconds timeout);

private:
    PairingToken m_code;
    std::unique_ptr<HostConnection> m_connection;
    std::optional<QString> m_nonce;
    bool m_disconnected = false;
};

} // namespace Quorvel

#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QString>

#include <optional>

namespace Quorvel {

// Where the remote's link to a host stands; every remote view branches on it. Made only through
// the named constructors, so each case carries exactly its own values.
class ClientConnectionStatus {
public:
    enum class Kind { connecting, connected, needsPairing, failed, idle };

    // A link to the host is being opened.
    static ClientConnectionStatus connecting(const DiscoveredHost &host);
    // The host accepted the code and its deck has arrived.
    static ClientConnectionStatus connected(const DiscoveredHost &host);
    // No usable pairing code for the host; the reason says why when there is one.
    static ClientConnectionStatus needsPairing(const DiscoveredHost &host,
                                               const std::optional<QString> &reason);
    // The link failed; the text is shown as it is.
    static ClientConnectionStatus failed(const QString &text);
    // No host is chosen or being reached.
    static ClientConnectionStatus idle();

    Kind kind() const { return m_kind; }
    // The host of connecting, connected and needsPairing.
    const std::optional<DiscoveredHost> &host() const { return m_host; }
    // The reason of needsPairing.
    const std::optional<QString> &reason() const { return m_reason; }
    // The text of failed.
    const QString &failureText() const { return m_failureText; }

    friend bool operator==(const ClientConnectionStatus &a,
                           const ClientConnectionStatus &b) = default;

private:
    ClientConnectionStatus() = default;

    Kind m_kind = Kind::idle;
    std::optional<DiscoveredHost> m_host;
    std::optional<QString> m_reason;
    QString m_failureText;
};

} // namespace Quorvel

#include "QuorvelClientUI/ClientConnectionStatus.h"

namespace Quorvel {

ClientConnectionStatus ClientConnectionStatus::connecting(const DiscoveredHost &host)
{
    ClientConnectionStatus status;
    status.m_kind = Kind::connecting;
    status.m_host = host;
    return status;
}

ClientConnectionStatus ClientConnectionStatus::connected(const DiscoveredHost &host)
{
    ClientConnectionStatus status;
    status.m_kind = Kind::connected;
    status.m_host = host;
    return status;
}

ClientConnectionStatus ClientConnectionStatus::needsPairing(const DiscoveredHost &host,
                                                            const std::optional<QString> &reason)
{
    ClientConnectionStatus status;
    status.m_kind = Kind::needsPairing;
    status.m_host = host;
    status.m_reason = reason;
    return status;
}

ClientConnectionStatus ClientConnectionStatus::failed(const QString &text)
{
    ClientConnectionStatus status;
    status.m_kind = Kind::failed;
    status.m_failureText = text;
    return status;
}

ClientConnectionStatus ClientConnectionStatus::idle()
{
    return ClientConnectionStatus();
}

} // namespace Quorvel

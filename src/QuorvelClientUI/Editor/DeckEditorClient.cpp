#include "QuorvelClientUI/Editor/DeckEditorClient.h"

namespace Quorvel {

std::optional<QString> DeckEditorClient::hostKey() const
{
    const std::optional<DiscoveredHost> host = status().host();
    if (!host)
        return std::nullopt;
    return host->stableKey();
}

QString DeckEditorClient::hostName() const
{
    const std::optional<HostInfo> info = hostInfo();
    return info ? info->hostName : QStringLiteral("the host");
}

} // namespace Quorvel

#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include "QuorvelCore/Model/CanonicalText.h"

namespace Quorvel {
namespace {

template<typename T> size_t hashOptional(const std::optional<T> &value, size_t seed)
{
    return value ? qHashMulti(seed, 1, *value) : qHashMulti(seed, 0);
}

} // namespace

bool DiscoveredHost::operator==(const DiscoveredHost &other) const
{
    return sameText(id, other.id) && sameText(name, other.name) && endpoint == other.endpoint &&
           protocolVersion == other.protocolVersion && sameText(hostID, other.hostID);
}

size_t qHash(const DiscoveredHost &host, size_t seed)
{
    seed = canonicalHash(host.id, seed);
    seed = canonicalHash(host.name, seed);
    seed = qHash(host.endpoint, seed);
    seed = hashOptional(host.protocolVersion, seed);
    return host.hostID ? canonicalHash(*host.hostID, qHashMulti(seed, 1)) : qHashMulti(seed, 0);
}

} // namespace Quorvel

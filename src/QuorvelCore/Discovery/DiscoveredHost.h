#pragma once

#include "QuorvelCore/Discovery/HostEndpoint.h"

#include <QString>

#include <optional>

namespace Quorvel {

// One host found on the network (or described by hand, such as the host on this machine).
struct DiscoveredHost {
    // name + "." + service type + domain, with no separator between type and domain.
    QString id;
    // The advertised service instance name.
    QString name;
    HostEndpoint endpoint;
    // TXT "v" read as a decimal integer.
    std::optional<qint64> protocolVersion;
    // TXT "id" when it is a UUID, in canonical upper-case form.
    std::optional<QString> hostID;

    // What identifies the host across renames: its id when it advertises one, else its name.
    QString stableKey() const { return hostID.value_or(name); }

    bool operator==(const DiscoveredHost &other) const;
};

// Feeds the fields in their order; an absent optional feeds 0, a present one 1 and its value.
size_t qHash(const DiscoveredHost &host, size_t seed = 0);

} // namespace Quorvel

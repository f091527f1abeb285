#pragma once

#include <QHashFunctions>
#include <QString>

#include <variant>

namespace Quorvel {

// A host's DNS-SD service as a browser found it. The interface index is Avahi's (-1: any).
struct ServiceEndpoint {
    QString name;
    QString type;
    QString domain;
    int interfaceIndex = -1;

    bool operator==(const ServiceEndpoint &) const = default;
};

// A host reached directly by name or address and port.
struct HostPortEndpoint {
    QString host;
    quint16 port = 0;

    bool operator==(const HostPortEndpoint &) const = default;
};

// Where a host can be reached.
using HostEndpoint = std::variant<ServiceEndpoint, HostPortEndpoint>;

inline size_t qHash(const ServiceEndpoint &endpoint, size_t seed = 0)
{
    return qHashMulti(seed, endpoint.name, endpoint.type, endpoint.domain, endpoint.interfaceIndex);
}

inline size_t qHash(const HostPortEndpoint &endpoint, size_t seed = 0)
{
    return qHashMulti(seed, endpoint.host, endpoint.port);
}

inline size_t qHash(const HostEndpoint &endpoint, size_t seed = 0)
{
    return std::visit(
        [&](const auto &alternative) {
            return qHashMulti(seed, endpoint.index(), qHash(alternative));
        },
        endpoint);
}

} // namespace Quorvel

#pragma once

#include "Platform/Discovery/TxtRecord.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace Quorvel {

// One DNS-SD service as a browser sees it: Avahi reports a service once per network interface
// and IP protocol it was seen on.
struct ServiceInstance {
    int interfaceIndex = -1;
    int protocol = -1;
    QString name;
    QString type;
    QString domain;

    bool operator==(const ServiceInstance &) const = default;
};

inline size_t qHash(const ServiceInstance &instance, size_t seed = 0)
{
    return qHashMulti(seed, instance.interfaceIndex, instance.protocol, instance.name,
                      instance.type, instance.domain);
}

// A browsed service with its TXT record, absent when the service could not be resolved.
struct BrowsedService {
    ServiceInstance instance;
    std::optional<TxtRecord> txt;

    bool operator==(const BrowsedService &) const = default;
};

} // namespace Quorvel

#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

class ServiceDiscovery;
class ServiceResolver;

// Where a resolved service runs.
struct ResolvedHost {
    // What to connect to: the numeric address the mDNS service found, so that connecting needs
    // no multicast name lookup; the host name stands in when no address came.
    QString host;
    quint16 port = 0;
    // The target's host name, for the user and the log.
    QString hostName;

    bool operator==(const ResolvedHost &) const = default;
};

// A host connection waits this long for a service to resolve before it tries another way.
inline constexpr std::chrono::milliseconds resolveTimeout{5000};

// A resolved host target loses one final dot ("studio.local." becomes "studio.local").
QString removingFinalDot(const QString &host);

// Resolves a DNS-SD service (name, type, domain) once through `discovery`. `done` is called
// exactly once, later on this thread's event loop, with where the service runs, or with nothing
// when the service is unknown, has no port or host, the mDNS service cannot be reached or
// `timeout` passes. The resolver returned belongs to `context` and deletes itself once done;
// deleting it (or `context`) first ends the resolution with no call.
ServiceResolver *resolve(ServiceDiscovery &discovery, const QString &name, const QString &type,
                         const QString &domain, std::chrono::milliseconds timeout, QObject *context,
                         std::function<void(std::optional<ResolvedHost>)> done);

} // namespace Quorvel

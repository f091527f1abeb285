#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

// Where a resolved service runs.
struct ResolvedHost {
    QString host;
    quint16 port = 0;

    bool operator==(const ResolvedHost &) const = default;
};

// A host connection waits this long for a service to resolve before it tries another way.
inline constexpr std::chrono::milliseconds resolveTimeout{5000};

// A resolved host target loses one final dot ("studio.local." becomes "studio.local").
QString removingFinalDot(const QString &host);

// Resolves a DNS-SD service (name, type, domain) once. `done` is called exactly once, later on
// this thread's event loop, with the host and port, or with nothing when the service is unknown,
// the daemon cannot be reached or `timeout` passes; it is not called when `context` is given and
// destroyed first. The host is the numeric address the daemon found, so that connecting needs no
// multicast name lookup; the host name stands in when no address came.
void resolve(const QString &name, const QString &type, const QString &domain,
             std::chrono::milliseconds timeout, QObject *context,
             std::function<void(std::optional<ResolvedHost>)> done);

} // namespace Quorvel

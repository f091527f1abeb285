#pragma once

#include "Platform/Discovery/ResolvedService.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace Quorvel {

// Resolves one DNS-SD service (name, type, domain) to its host, port and TXT record, once.
// finished() is emitted exactly once per start(), never from inside start(): with the result, or
// with nothing when the service is unknown, the mDNS service cannot be reached or the time-out
// passes.
class ServiceResolver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // An empty `domain` means the default domain. Calling start() again while a resolution runs
    // does nothing.
    virtual void start(const QString &name, const QString &type, const QString &domain,
                       std::chrono::milliseconds timeout) = 0;

signals:
    void finished(std::optional<Quorvel::ResolvedService> result);
};

} // namespace Quorvel

#pragma once

#include "Platform/Discovery/ServiceDescription.h"

#include <QObject>
#include <QString>

namespace Quorvel {

// Advertises one DNS-SD service on the local network. A name already taken is replaced by the
// next alternative ("Name #2", ...) and advertised again without the owner's help; when the
// system's mDNS service restarts, the service is registered again once it is back.
//
// Signals leave through the event loop, never from inside a call, so that an owner may drop the
// publisher in its slot; nothing is emitted for an advertisement replaced or stopped meanwhile.
class ServicePublisher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts advertising `service`, replacing any earlier advertisement of this publisher.
    virtual void publish(const ServiceDescription &service) = 0;
    // Withdraws the advertisement and registers it again under the name first given; after a
    // failure this is also the way to try again. Does nothing when nothing was published.
    virtual void republish() = 0;
    // Withdraws the advertisement; no signal follows.
    virtual void stop() = 0;
    // The name the service is advertised under now (differs from the given one after a collision).
    virtual QString currentName() const = 0;

signals:
    // The service is announced under `name`.
    void established(const QString &name);
    // The service is not advertised; `reason` says why. A lost mDNS service is followed by
    // established() when it comes back; any other failure lasts until republish().
    void failed(const QString &reason);
};

} // namespace Quorvel

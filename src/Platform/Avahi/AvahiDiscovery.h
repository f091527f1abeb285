#pragma once

#include "Platform/Discovery/ServiceDiscovery.h"

namespace Quorvel {

// Makes publishers, browsers and resolvers that work through the Avahi daemon, each on a session
// of its own.
class AvahiDiscovery : public ServiceDiscovery {
public:
    ServicePublisher *makePublisher(QObject *parent) override;
    ServiceBrowser *makeBrowser(const QString &type, QObject *parent) override;
    ServiceResolver *makeResolver(QObject *parent) override;
};

} // namespace Quorvel

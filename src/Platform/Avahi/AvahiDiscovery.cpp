#include "Platform/Avahi/AvahiDiscovery.h"

#include "Platform/Avahi/AvahiBrowser.h"
#include "Platform/Avahi/AvahiPublisher.h"
#include "Platform/Avahi/AvahiResolver.h"

namespace Quorvel {

ServicePublisher *AvahiDiscovery::makePublisher(QObject *parent)
{
    return new AvahiPublisher(parent);
}

ServiceBrowser *AvahiDiscovery::makeBrowser(const QString &type, QObject *parent)
{
    return new AvahiBrowser(type, parent);
}

ServiceResolver *AvahiDiscovery::makeResolver(QObject *parent)
{
    return new AvahiResolver(parent);
}

ServiceDiscovery &systemServiceDiscovery()
{
    static AvahiDiscovery discovery;
    return discovery;
}

} // namespace Quorvel

#pragma once

#include <QObject>
#include <QString>

namespace Quorvel {

class ServiceBrowser;
class ServicePublisher;
class ServiceResolver;

// Makes the DNS-SD parts a host or a remote needs. The owner of a browsing, resolving or
// advertising object passes one in; the application passes systemServiceDiscovery(), tests an
// in-process network of their own. Each object made belongs to `parent`.
class ServiceDiscovery {
public:
    virtual ~ServiceDiscovery() = default;

    virtual ServicePublisher *makePublisher(QObject *parent) = 0;
    virtual ServiceBrowser *makeBrowser(const QString &type, QObject *parent) = 0;
    virtual ServiceResolver *makeResolver(QObject *parent) = 0;
};

// This machine's mDNS service (on Linux: the Avahi daemon); lives as long as the process.
ServiceDiscovery &systemServiceDiscovery();

} // namespace Quorvel

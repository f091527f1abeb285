#pragma once

#include "Platform/Discovery/BrowsedService.h"

#include <QObject>
#include <QString>

namespace Quorvel {

// Browses for one DNS-SD service type in the default domains and looks up every service found
// for its TXT record. A service is reported once its TXT record is known (or could not be read,
// then without TXT), again whenever its TXT record changes, and as removed when it goes.
//
// Signals may come from inside the implementation's own callbacks: a receiver that wants to drop
// the browser uses dispose(). After unreachable(), clientFailed() or failed(), every service
// reported before is gone.
class ServiceBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;

    // Lets go of `browser` (null afterwards, a null one is left alone): it stops reporting to
    // `receiver` at once and is deleted once control is back in the event loop, because it may
    // be reporting right now and the receiver may be going away in that report.
    static void dispose(ServiceBrowser *&browser, QObject *receiver);

signals:
    // Browsing works: everything known at the start has been told. Once per browse.
    void ready();
    // The mDNS service cannot be reached; browsing resumes by itself when it is back (ready()
    // again).
    void unreachable(const QString &reason);
    // The mDNS service cannot be reached at all (no system bus, or the client broke): nothing can
    // be seen, and browsing stopped for good; start() tries again.
    void clientFailed(const QString &reason);
    // The mDNS service refused or ended this browse; start() tries again.
    void failed(const QString &reason);
    void serviceFound(const Quorvel::BrowsedService &service);
    void serviceRemoved(const Quorvel::ServiceInstance &instance);
};

} // namespace Quorvel

#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Avahi/BrowsedService.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <avahi-client/lookup.h>

namespace Quorvel {

// Browses for one DNS-SD service type in the default domains and resolves every service found
// for its TXT record. A service is reported once it is resolved (or its resolution failed, then
// without TXT), again whenever its TXT record changes, and as removed when it goes.
//
// Signals may come from inside Avahi's callbacks: a receiver that wants to drop the browser uses
// deleteLater(). After unreachable(), clientFailed() or failed(), every service reported before
// is gone.
class AvahiBrowser : public QObject {
    Q_OBJECT
public:
    explicit AvahiBrowser(const QString &type, QObject *parent = nullptr);
    ~AvahiBrowser() override;

    void start();
    void stop();

    // Lets go of `browser` (null afterwards, a null one is left alone): it stops reporting to
    // `receiver` at once and is deleted once control is back in the event loop, because it may
    // be reporting right now, from inside Avahi, and the receiver may be going away in that report.
    static void dispose(AvahiBrowser *&browser, QObject *receiver);

signals:
    // Browsing works: the daemon has told everything it knew at the start. Once per browse.
    void ready();
    // The daemon cannot be reached; browsing resumes by itself when it is back (ready() again).
    void unreachable(const QString &reason);
    // The client cannot reach the daemon at all (no system bus, or the client broke): nothing can
    // be seen, and browsing stopped for good; start() tries again.
    void clientFailed(const QString &reason);
    // The daemon refused or ended this browse; start() tries again.
    void failed(const QString &reason);
    void serviceFound(const Quorvel::BrowsedService &service);
    void serviceRemoved(const Quorvel::ServiceInstance &instance);

private:
    static void browserCallback(AvahiServiceBrowser *browser, AvahiIfIndex interface,
                                AvahiProtocol protocol, AvahiBrowserEvent event, const char *name,
                                const char *type, const char *domain, AvahiLookupResultFlags flags,
                                void *userdata);
    static void resolverCallback(::AvahiServiceResolver *resolver, AvahiIfIndex interface,
                                 AvahiProtocol protocol, AvahiResolverEvent event, const char *name,
                                 const char *type, const char *domain, const char *hostName,
                                 const AvahiAddress *address, uint16_t port, AvahiStringList *txt,
                                 AvahiLookupResultFlags flags, void *userdata);
    void handleSessionState(AvahiSession::State state);
    void handleBrowserEvent(AvahiServiceBrowser *browser, const ServiceInstance &instance,
                            AvahiBrowserEvent event);
    void handleResolverEvent(::AvahiServiceResolver *resolver, const ServiceInstance &instance,
                             AvahiResolverEvent event, AvahiStringList *txt);
    void startBrowsing();
    void addService(const ServiceInstance &instance);
    void removeService(const ServiceInstance &instance);
    void release();

    QString m_type;
    AvahiSession m_session;
    AvahiServiceBrowser *m_browser = nullptr;
    QHash<ServiceInstance, ::AvahiServiceResolver *> m_resolvers;
    QHash<ServiceInstance, BrowsedService> m_reported;
    bool m_active = false;
    bool m_ready = false;
};

} // namespace Quorvel

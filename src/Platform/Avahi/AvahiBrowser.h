#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Discovery/ServiceBrowser.h"

#include <QHash>
#include <QString>

#include <avahi-client/lookup.h>

namespace Quorvel {

// The Avahi daemon's browser: one service browser, and one resolver per service for its TXT
// record.
class AvahiBrowser : public ServiceBrowser {
    Q_OBJECT
public:
    explicit AvahiBrowser(const QString &type, QObject *parent = nullptr);
    ~AvahiBrowser() override;

    void start() override;
    void stop() override;

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

#include "Platform/Avahi/AvahiBrowser.h"

#include "Platform/Avahi/AvahiTxtRecord.h"
#include "Platform/PlatformLogging.h"
#include "Platform/Text/OutsideText.h"

#include <avahi-common/error.h>

#include <algorithm>

namespace Quorvel {
namespace {

QString clientError(AvahiClient *client)
{
    return QString::fromUtf8(avahi_strerror(avahi_client_errno(client)));
}

ServiceInstance instanceOf(AvahiIfIndex interface, AvahiProtocol protocol, const char *name,
                           const char *type, const char *domain)
{
    return ServiceInstance{interface, protocol, QString::fromUtf8(name), QString::fromUtf8(type),
                           QString::fromUtf8(domain)};
}

} // namespace

AvahiBrowser::AvahiBrowser(const QString &type, QObject *parent)
    : ServiceBrowser(parent), m_type(type)
{
    connect(&m_session, &AvahiSession::stateChanged, this, &AvahiBrowser::handleSessionState);
}

AvahiBrowser::~AvahiBrowser()
{
    release();
}

void AvahiBrowser::start()
{
    if (m_active) {
        return;
    }
    m_active = true;
    if (m_session.isConnected()) {
        startBrowsing();
        return;
    }
    m_session.stop();
    // Reports its state at once; handleSessionState() goes on from there.
    m_session.start();
}

void AvahiBrowser::stop()
{
    m_active = false;
    release();
    m_session.stop();
}

void AvahiBrowser::handleSessionState(AvahiSession::State state)
{
    if (!m_active) {
        return;
    }
    switch (state) {
    case AvahiSession::State::Running:
    case AvahiSession::State::Registering:
        startBrowsing();
        break;
    case AvahiSession::State::Connecting:
        release();
        qCInfo(lcAvahi, "Browsing %s waits for the Avahi daemon: %s", qUtf8Printable(m_type),
               qUtf8Printable(m_session.errorString()));
        emit unreachable(m_session.errorString());
        break;
    case AvahiSession::State::Failed:
        release();
        m_active = false;
        emit clientFailed(m_session.errorString());
        break;
    case AvahiSession::State::Stopped:
        break;
    }
}

void AvahiBrowser::startBrowsing()
{
    AvahiClient *client = m_session.client();
    if (!client || m_browser) {
        return;
    }
    m_ready = false;
    m_browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                          m_type.toUtf8().constData(), nullptr, AvahiLookupFlags(0),
                                          &AvahiBrowser::browserCallback, this);
    // This may run inside the client's own callback (even inside avahi_client_new), where the
    // client must not be freed: the session stays, and start() or the destructor deals with it.
    if (!m_browser) {
        const QString reason = clientError(client);
        m_active = false;
        emit failed(reason);
    }
}

void AvahiBrowser::browserCallback(AvahiServiceBrowser *browser, AvahiIfIndex interface,
                                   AvahiProtocol protocol, AvahiBrowserEvent event,
                                   const char *name, const char *type, const char *domain,
                                   AvahiLookupResultFlags, void *userdata)
{
    const bool named = name && type && domain;
    static_cast<AvahiBrowser *>(userdata)->handleBrowserEvent(
        browser, named ? instanceOf(interface, protocol, name, type, domain) : ServiceInstance{},
        event);
}

void AvahiBrowser::handleBrowserEvent(AvahiServiceBrowser *browser, const ServiceInstance &instance,
                                      AvahiBrowserEvent event)
{
    if (browser != m_browser) {
        return;
    }
    switch (event) {
    case AVAHI_BROWSER_NEW:
        addService(instance);
        break;
    case AVAHI_BROWSER_REMOVE:
        removeService(instance);
        break;
    case AVAHI_BROWSER_ALL_FOR_NOW:
    case AVAHI_BROWSER_CACHE_EXHAUSTED:
        if (!m_ready) {
            m_ready = true;
            emit ready();
        }
        break;
    case AVAHI_BROWSER_FAILURE: {
        const QString reason = clientError(avahi_service_browser_get_client(browser));
        qCWarning(lcAvahi, "Browsing %s failed: %s", qUtf8Printable(m_type),
                  qUtf8Printable(reason));
        // Freeing a browser from its own callback is allowed.
        release();
        m_active = false;
        emit failed(reason);
        break;
    }
    }
}

void AvahiBrowser::addService(const ServiceInstance &instance)
{
    if (m_resolvers.contains(instance) || instance.name.isEmpty()) {
        return;
    }
    AvahiClient *client = m_session.client();
    const QByteArray domain = instance.domain.toUtf8();
    // Only the TXT record is wanted here; the address is looked up when connecting.
    ::AvahiServiceResolver *resolver = avahi_service_resolver_new(
        client, instance.interfaceIndex, instance.protocol, instance.name.toUtf8().constData(),
        instance.type.toUtf8().constData(), domain.constData(), AVAHI_PROTO_UNSPEC,
        AVAHI_LOOKUP_NO_ADDRESS, &AvahiBrowser::resolverCallback, this);
    if (!resolver) {
        qCWarning(lcAvahi, "Could not resolve %s: %s",
                  qUtf8Printable(OutsideText::forLog(instance.name)),
                  qUtf8Printable(clientError(client)));
        const BrowsedService service{instance, std::nullopt};
        m_reported.insert(instance, service);
        emit serviceFound(service);
        return;
    }
    m_resolvers.insert(instance, resolver);
}

void AvahiBrowser::removeService(const ServiceInstance &instance)
{
    if (::AvahiServiceResolver *resolver = m_resolvers.take(instance)) {
        avahi_service_resolver_free(resolver);
    }
    if (m_reported.remove(instance)) {
        emit serviceRemoved(instance);
    }
}

void AvahiBrowser::resolverCallback(::AvahiServiceResolver *resolver, AvahiIfIndex, AvahiProtocol,
                                    AvahiResolverEvent event, const char *, const char *,
                                    const char *, const char *, const AvahiAddress *, uint16_t,
                                    AvahiStringList *txt, AvahiLookupResultFlags, void *userdata)
{
    auto *self = static_cast<AvahiBrowser *>(userdata);
    // Looked up by the resolver itself, so that a callback of one already freed finds nothing.
    const auto found = std::find(self->m_resolvers.cbegin(), self->m_resolvers.cend(), resolver);
    if (found == self->m_resolvers.cend()) {
        return;
    }
    self->handleResolverEvent(resolver, found.key(), event, txt);
}

void AvahiBrowser::handleResolverEvent(::AvahiServiceResolver *resolver,
                                       const ServiceInstance &instance, AvahiResolverEvent event,
                                       AvahiStringList *txt)
{
    BrowsedService service{instance, std::nullopt};
    if (event == AVAHI_RESOLVER_FOUND) {
        service.txt = txtRecordFromAvahi(txt);
    } else {
        qCDebug(lcAvahi, "Could not resolve %s: %s",
                qUtf8Printable(OutsideText::forLog(instance.name)),
                qUtf8Printable(clientError(avahi_service_resolver_get_client(resolver))));
        // A failed resolver is done; freeing it from its own callback is allowed.
        m_resolvers.remove(instance);
        avahi_service_resolver_free(resolver);
        // A service already known with its TXT record keeps it.
        if (m_reported.contains(instance)) {
            return;
        }
    }
    const auto known = m_reported.constFind(instance);
    if (known != m_reported.cend() && *known == service) {
        return;
    }
    m_reported.insert(instance, service);
    emit serviceFound(service);
}

void AvahiBrowser::release()
{
    for (::AvahiServiceResolver *resolver : std::as_const(m_resolvers)) {
        avahi_service_resolver_free(resolver);
    }
    m_resolvers.clear();
    m_reported.clear();
    if (m_browser) {
        AvahiServiceBrowser *browser = m_browser;
        m_browser = nullptr;
        avahi_service_browser_free(browser);
    }
}

} // namespace Quorvel

#include "Platform/Avahi/AvahiResolver.h"

#include "Platform/Avahi/AvahiTxtRecord.h"
#include "Platform/PlatformLogging.h"
#include "Platform/Text/OutsideText.h"

#include <QHostAddress>
#include <QMetaObject>

#include <avahi-common/address.h>
#include <avahi-common/error.h>

#include <net/if.h>

namespace Quorvel {
namespace {

// A link-local IPv6 address only works together with the interface it was found on.
QString addressText(const AvahiAddress *address, AvahiIfIndex interface)
{
    if (!address) {
        return {};
    }
    char buffer[AVAHI_ADDRESS_STR_MAX];
    avahi_address_snprint(buffer, sizeof buffer, address);
    QString text = QString::fromLatin1(buffer);
    char interfaceName[IF_NAMESIZE];
    if (address->proto == AVAHI_PROTO_INET6 && QHostAddress(text).isLinkLocal() && interface >= 0 &&
        if_indextoname(unsigned(interface), interfaceName)) {
        text += QLatin1Char('%') + QString::fromLatin1(interfaceName);
    }
    return text;
}

} // namespace

AvahiResolver::AvahiResolver(QObject *parent) : ServiceResolver(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        qCDebug(lcAvahi, "Resolving %s timed out", qUtf8Printable(OutsideText::forLog(m_name)));
        finish(std::nullopt);
    });
    connect(&m_session, &AvahiSession::stateChanged, this, &AvahiResolver::handleSessionState);
}

AvahiResolver::~AvahiResolver()
{
    release();
}

void AvahiResolver::start(const QString &name, const QString &type, const QString &domain,
                          std::chrono::milliseconds timeout)
{
    if (m_running) {
        return;
    }
    m_running = true;
    m_name = name;
    m_type = type;
    m_domain = domain;
    m_timeout.start(timeout);
    if (m_session.isConnected()) {
        startLookup();
    } else {
        m_session.stop();
        // Reports its state at once; handleSessionState() goes on from there.
        m_session.start();
    }
}

void AvahiResolver::handleSessionState(AvahiSession::State state)
{
    if (!m_running) {
        return;
    }
    switch (state) {
    case AvahiSession::State::Running:
    case AvahiSession::State::Registering:
        startLookup();
        break;
    case AvahiSession::State::Connecting:
        // The daemon may come back before the time-out; the lookup starts again then.
        release();
        break;
    case AvahiSession::State::Failed:
        finish(std::nullopt);
        break;
    case AvahiSession::State::Stopped:
        break;
    }
}

void AvahiResolver::startLookup()
{
    AvahiClient *client = m_session.client();
    if (!client || m_resolver) {
        return;
    }
    const QByteArray domain = m_domain.toUtf8();
    m_resolver = avahi_service_resolver_new(
        client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, m_name.toUtf8().constData(),
        m_type.toUtf8().constData(), domain.isEmpty() ? nullptr : domain.constData(),
        AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0), &AvahiResolver::resolverCallback, this);
    if (!m_resolver) {
        qCDebug(lcAvahi, "Could not resolve %s: %s", qUtf8Printable(OutsideText::forLog(m_name)),
                avahi_strerror(avahi_client_errno(client)));
        finish(std::nullopt);
    }
}

void AvahiResolver::resolverCallback(::AvahiServiceResolver *resolver, AvahiIfIndex interface,
                                     AvahiProtocol, AvahiResolverEvent event, const char *,
                                     const char *, const char *, const char *hostName,
                                     const AvahiAddress *address, uint16_t port,
                                     AvahiStringList *txt, AvahiLookupResultFlags, void *userdata)
{
    auto *self = static_cast<AvahiResolver *>(userdata);
    if (resolver != self->m_resolver) {
        return;
    }
    if (event != AVAHI_RESOLVER_FOUND || !hostName) {
        qCDebug(lcAvahi, "Could not resolve %s: %s",
                qUtf8Printable(OutsideText::forLog(self->m_name)),
                avahi_strerror(avahi_client_errno(avahi_service_resolver_get_client(resolver))));
        self->finish(std::nullopt);
        return;
    }
    self->finish(ResolvedService{QString::fromUtf8(hostName), addressText(address, interface), port,
                                 txtRecordFromAvahi(txt)});
}

void AvahiResolver::finish(const std::optional<ResolvedService> &result)
{
    if (!m_running) {
        return;
    }
    m_running = false;
    m_timeout.stop();
    // Freeing a resolver from its own callback is allowed; the client is not freed from inside
    // one of its callbacks, so the session ends on the way out, with the result.
    release();
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            if (!m_running) {
                m_session.stop();
            }
            emit finished(result);
        },
        Qt::QueuedConnection);
}

void AvahiResolver::release()
{
    if (m_resolver) {
        ::AvahiServiceResolver *resolver = m_resolver;
        m_resolver = nullptr;
        avahi_service_resolver_free(resolver);
    }
}

} // namespace Quorvel

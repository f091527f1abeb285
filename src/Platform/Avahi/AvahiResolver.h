#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Discovery/ServiceResolver.h"

#include <QString>
#include <QTimer>

#include <avahi-client/lookup.h>

#include <chrono>
#include <optional>

namespace Quorvel {

// The Avahi daemon's resolver: one service resolver on a session of its own.
class AvahiResolver : public ServiceResolver {
    Q_OBJECT
public:
    explicit AvahiResolver(QObject *parent = nullptr);
    ~AvahiResolver() override;

    void start(const QString &name, const QString &type, const QString &domain,
               std::chrono::milliseconds timeout) override;

private:
    static void resolverCallback(::AvahiServiceResolver *resolver, AvahiIfIndex interface,
                                 AvahiProtocol protocol, AvahiResolverEvent event, const char *name,
                                 const char *type, const char *domain, const char *hostName,
                                 const AvahiAddress *address, uint16_t port, AvahiStringList *txt,
                                 AvahiLookupResultFlags flags, void *userdata);
    void handleSessionState(AvahiSession::State state);
    void startLookup();
    void finish(const std::optional<ResolvedService> &result);
    void release();

    AvahiSession m_session;
    ::AvahiServiceResolver *m_resolver = nullptr;
    QTimer m_timeout;
    QString m_name;
    QString m_type;
    QString m_domain;
    bool m_running = false;
};

} // namespace Quorvel

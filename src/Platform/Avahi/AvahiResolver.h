#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Avahi/ResolvedService.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <avahi-client/lookup.h>

#include <chrono>
#include <optional>

namespace Quorvel {

// Resolves one DNS-SD service (name, type, domain) to its host, port and TXT record, once.
// finished() is emitted exactly once per start(), never from inside start(): with the result, or
// with nothing when the service is unknown, the daemon cannot be reached or the time-out passes.
class AvahiResolver : public QObject {
    Q_OBJECT
public:
    explicit AvahiResolver(QObject *parent = nullptr);
    ~AvahiResolver() override;

    // An empty `domain` means the daemon's default domain. Calling start() again while a
    // resolution runs does nothing.
    void start(const QString &name, const QString &type, const QString &domain,
               std::chrono::milliseconds timeout);

signals:
    void finished(std::optional<Quorvel::ResolvedService> result);

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

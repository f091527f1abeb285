#include "QuorvelCore/Discovery/Resolve.h"

#include "Platform/Avahi/AvahiResolver.h"
#include "QuorvelCore/Logging.h"

namespace Quorvel {

QString removingFinalDot(const QString &host)
{
    return host.endsWith(QLatin1Char('.')) ? host.chopped(1) : host;
}

void resolve(const QString &name, const QString &type, const QString &domain,
             std::chrono::milliseconds timeout, QObject *context,
             std::function<void(std::optional<ResolvedHost>)> done)
{
    // Owned by the context, so that the resolution ends, unanswered, when the context goes.
    auto *resolver = new AvahiResolver(context);
    QObject::connect(
        resolver, &AvahiResolver::finished, resolver,
        [resolver, name, done = std::move(done)](const std::optional<ResolvedService> &result) {
            resolver->deleteLater();
            if (!result) {
                qCDebug(lcBonjourResolver, "no result for %s", qUtf8Printable(name));
                done(std::nullopt);
                return;
            }
            const QString host =
                removingFinalDot(result->address.isEmpty() ? result->hostName : result->address);
            qCDebug(lcBonjourResolver, "%s is %s:%hu", qUtf8Printable(name), qUtf8Printable(host),
                    result->port);
            done(ResolvedHost{host, result->port});
        });
    resolver->start(name, type, domain, timeout);
}

} // namespace Quorvel

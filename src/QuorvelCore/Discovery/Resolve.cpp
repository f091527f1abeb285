#include "QuorvelCore/Discovery/Resolve.h"

#include "Platform/Discovery/ServiceDiscovery.h"
#include "Platform/Discovery/ServiceResolver.h"
#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Logging.h"

namespace Quorvel {

QString removingFinalDot(const QString &host)
{
    return host.endsWith(QLatin1Char('.')) ? host.chopped(1) : host;
}

ServiceResolver *resolve(ServiceDiscovery &discovery, const QString &name, const QString &type,
                         const QString &domain, std::chrono::milliseconds timeout, QObject *context,
                         std::function<void(std::optional<ResolvedHost>)> done)
{
    // Owned by the context, so that the resolution ends, unanswered, when the context goes.
    ServiceResolver *resolver = discovery.makeResolver(context);
    QObject::connect(
        resolver, &ServiceResolver::finished, resolver,
        [resolver, name, done = std::move(done)](const std::optional<ResolvedService> &result) {
            resolver->deleteLater();
            if (!result || result->port == 0 ||
                (result->address.isEmpty() && result->hostName.isEmpty())) {
                qCDebug(lcBonjourResolver, "no result for %s",
                        qUtf8Printable(OutsideText::forLog(name)));
                done(std::nullopt);
                return;
            }
            const QString hostName = removingFinalDot(result->hostName);
            const QString host =
                result->address.isEmpty() ? hostName : removingFinalDot(result->address);
            qCDebug(lcBonjourResolver, "%s is %s:%hu", qUtf8Printable(OutsideText::forLog(name)),
                    qUtf8Printable(OutsideText::forLog(host)), result->port);
            done(ResolvedHost{host, result->port, hostName});
        });
    resolver->start(name, type, domain, timeout);
    return resolver;
}

} // namespace Quorvel

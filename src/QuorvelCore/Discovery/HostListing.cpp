#include "QuorvelCore/Discovery/HostListing.h"

#include "QuorvelCore/Model/CanonicalText.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace Quorvel {
namespace {

const QString versionKey = QStringLiteral("v");
const QString hostIDKey = QStringLiteral("id");

QString serviceID(const ServiceInstance &instance)
{
    return instance.name + QLatin1Char('.') + instance.type + instance.domain;
}

// Whether `a` is the better of two reports of one service.
bool preferred(const BrowsedService &a, const BrowsedService &b)
{
    if (a.txt.has_value() != b.txt.has_value()) {
        return a.txt.has_value();
    }
    return std::pair(a.instance.interfaceIndex, a.instance.protocol) <
           std::pair(b.instance.interfaceIndex, b.instance.protocol);
}

// Unicode scalar order of the canonical forms; UTF-16 order would differ above U+FFFF.
int compareScalars(const QString &a, const QString &b)
{
    const QList<uint> left = canonicalText(a).toUcs4();
    const QList<uint> right = canonicalText(b).toUcs4();
    const auto order = std::lexicographical_compare_three_way(left.cbegin(), left.cend(),
                                                              right.cbegin(), right.cend());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Equal names (the same host in two domains) fall back to the id, so that the list is stable.
bool nameBefore(const DiscoveredHost &a, const DiscoveredHost &b)
{
    const int byName = compareScalars(a.name, b.name);
    return byName != 0 ? byName < 0 : compareScalars(a.id, b.id) < 0;
}

} // namespace

std::optional<qint64> parseProtocolVersion(const QString &text)
{
    qsizetype position = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+'))) {
        position = 1;
    }
    if (position == text.size()) {
        return std::nullopt;
    }
    // Accumulated as a negative number: its range reaches one further than the positive one.
    qint64 value = 0;
    for (; position < text.size(); ++position) {
        const QChar character = text.at(position);
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
            return std::nullopt;
        }
        const int digit = character.unicode() - '0';
        if (value < (std::numeric_limits<qint64>::min() + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<qint64>::min()) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

std::optional<QString> parseHostID(const QString &text)
{
    static const QRegularExpression uuid(QStringLiteral(
        "\\A[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\z"));
    if (!uuid.match(text).hasMatch()) {
        return std::nullopt;
    }
    return text.toUpper();
}

DiscoveredHost hostFromService(const BrowsedService &service)
{
    const ServiceInstance &instance = service.instance;
    DiscoveredHost host{
        serviceID(instance), instance.name,
        ServiceEndpoint{instance.name, instance.type, instance.domain, instance.interfaceIndex},
        std::nullopt, std::nullopt};
    if (service.txt) {
        if (const auto version = service.txt->constFind(versionKey);
            version != service.txt->cend()) {
            host.protocolVersion = parseProtocolVersion(*version);
        }
        if (const auto id = service.txt->constFind(hostIDKey); id != service.txt->cend()) {
            host.hostID = parseHostID(*id);
        }
    }
    return host;
}

QList<DiscoveredHost> hostList(const QList<BrowsedService> &services)
{
    QHash<QString, BrowsedService> chosen;
    for (const BrowsedService &service : services) {
        const QString id = serviceID(service.instance);
        const auto current = chosen.constFind(id);
        if (current == chosen.cend() || preferred(service, *current)) {
            chosen.insert(id, service);
        }
    }
    QList<DiscoveredHost> unordered;
    unordered.reserve(chosen.size());
    for (const BrowsedService &service : std::as_const(chosen)) {
        unordered.append(hostFromService(service));
    }
    // Sorting positions rather than the hosts themselves: swapping a host moves its endpoint
    // variant through a temporary, which GCC's optimiser wrongly flags as read uninitialised.
    std::vector<qsizetype> order(unordered.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&unordered](qsizetype a, qsizetype b) {
        return nameBefore(unordered.at(a), unordered.at(b));
    });
    QList<DiscoveredHost> hosts;
    hosts.reserve(unordered.size());
    for (const qsizetype position : order) {
        hosts.append(std::move(unordered[position]));
    }
    return hosts;
}

} // namespace Quorvel

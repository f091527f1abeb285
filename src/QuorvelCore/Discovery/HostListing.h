#pragma once

#include "Platform/Discovery/BrowsedService.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QList>
#include <QString>

#include <optional>

namespace Quorvel {

// The rules that turn browsed services into the host list.

// An optional "+" or "-" and one or more digits 0-9, nothing else, within 64 bits.
std::optional<qint64> parseProtocolVersion(const QString &text);

// A UUID written 8-4-4-4-12 in hexadecimal digits of either case, returned in upper case.
std::optional<QString> parseHostID(const QString &text);

// The host one browsed service stands for; TXT "v" and "id" are read when the record has them.
DiscoveredHost hostFromService(const BrowsedService &service);

// One host per service (name, type and domain), sorted by name in Unicode scalar order of the
// canonical form (case-sensitive, not localised). Avahi reports a service once per interface and
// protocol; a resolved report is preferred, then the lowest interface and protocol.
QList<DiscoveredHost> hostList(const QList<BrowsedService> &services);

} // namespace Quorvel

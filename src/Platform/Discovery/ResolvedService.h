#pragma once

#include "Platform/Discovery/TxtRecord.h"

#include <QString>
#include <QtGlobal>

namespace Quorvel {

// Where a DNS-SD service runs, as its resolution gives it.
struct ResolvedService {
    // The target host name as the daemon reports it, e.g. "studio.local".
    QString hostName;
    // The numeric address of that host ("192.168.1.20", "fe80::1%eth0"); empty when none came.
    QString address;
    quint16 port = 0;
    TxtRecord txt;

    bool operator==(const ResolvedService &) const = default;
};

} // namespace Quorvel

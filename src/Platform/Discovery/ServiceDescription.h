#pragma once

#include "Platform/Discovery/TxtRecord.h"

#include <QString>
#include <QtGlobal>

namespace Quorvel {

// A DNS-SD service to advertise on this machine.
struct ServiceDescription {
    QString name;
    QString type;
    // Empty: the daemon's default domain.
    QString domain;
    quint16 port = 0;
    TxtRecord txt;

    bool operator==(const ServiceDescription &) const = default;
};

} // namespace Quorvel

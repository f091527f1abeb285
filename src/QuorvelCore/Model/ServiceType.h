#pragma once

#include <QString>

namespace Quorvel {

// The host link's DNS-SD service type, shared by the server, the browser and the monitor.
inline const QString serviceType = QStringLiteral("_quorvel._tcp");

} // namespace Quorvel

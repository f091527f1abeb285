#include "Quorvel/LoginItem.h"

#include "Platform/Session/LoginAgentUnit.h"
#include "Quorvel/AppLogging.h"

namespace Quorvel {

void setStartsAtLogin(const LoginAgentUnit &unit, bool on)
{
    QString error;
    const bool ok = on ? unit.registerAgent(&error) : unit.unregisterAgent(&error);
    if (!ok) {
        qCCritical(lcAppLoginItem).noquote()
            << QStringLiteral("Couldn't %1 start at login: %2")
                   .arg(on ? QStringLiteral("turn on") : QStringLiteral("turn off"), error);
    }
}

} // namespace Quorvel

#include "Platform/Power/IdleInhibitor.h"

#include "Platform/Power/GnomeSessionInhibitor.h"
#include "Platform/Power/LogindInhibitor.h"

namespace Quorvel {

namespace {

// The application as the desktop knows it: its desktop-entry id without ".desktop".
const QString applicationId = QStringLiteral("com.vantrel.quorvel");

} // namespace

std::vector<std::unique_ptr<IdleInhibitor>> IdleInhibitor::forThisSystem()
{
    std::vector<std::unique_ptr<IdleInhibitor>> inhibitors;
    inhibitors.push_back(std::make_unique<LogindInhibitor>());
    inhibitors.push_back(std::make_unique<GnomeSessionInhibitor>(applicationId));
    return inhibitors;
}

} // namespace Quorvel

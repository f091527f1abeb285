#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"

#include <QString>

#include <optional>

namespace Quorvel {

// What a new action will do, in one or more sentences each ending in a full stop, for example
// "A switch. Turning it on opens Music. Turning it off quits Music. It shows on while Music is
// running." Offered controls are named from the catalog where it has them.
QString describe(const Control &control, const std::optional<HostCatalog> &catalog,
                 const std::optional<HostInfo> &hostInfo);

} // namespace Quorvel

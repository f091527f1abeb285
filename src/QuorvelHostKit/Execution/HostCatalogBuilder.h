#pragma once

#include "QuorvelCore/Model/HostCatalog.h"

#include <QStringList>

#include <vector>

#include <qcoro/qcorotask.h>

namespace Quorvel {

class AppControls;
class SystemExecutor;

// Assembles, for every catalog request, what a deck editor could bind an action to: the user's
// shortcuts, the installed and the running applications, and the applications that offer
// controls. Nothing is cached between requests.
namespace HostCatalogBuilder {

// Never fails: a source that cannot be read contributes nothing. Called on the main thread with
// the host's executor; appControls may be null.
QCoro::Task<HostCatalog> build(SystemExecutor *executor, AppControls *appControls);

// The installed applications except this one, one per name (the entry with the smallest id wins),
// sorted by name in the user's order without regard to case; the path is the desktop entry's file
// and the bundle identifier its id.
std::vector<HostCatalog::App> installedApps();

// The names of the running applications except this one, without duplicates, sorted the same
// way. Main thread.
QStringList runningAppNames();

} // namespace HostCatalogBuilder

} // namespace Quorvel

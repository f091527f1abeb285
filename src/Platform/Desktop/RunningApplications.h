#pragma once

#include "Platform/Desktop/DesktopEntry.h"
#include "Platform/Desktop/RunningApplication.h"

#include <QList>

namespace Quorvel::RunningApplications {

// This user's processes that run one of the given applications, in process-id order. A process
// runs an application when its executable is the program the entry's Exec line names (found
// through PATH), or when the file name of its executable or of its first argument is that
// program's file name.
QList<RunningApplication> list(const QList<DesktopEntry> &entries);

} // namespace Quorvel::RunningApplications

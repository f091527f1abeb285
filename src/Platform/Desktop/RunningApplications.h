#pragma once

#include "Platform/Desktop/DesktopEntry.h"
#include "Platform/Desktop/RunningApplication.h"

#include <QList>

namespace Quorvel::RunningApplications {

// This user's processes that run one of the given applications, in process-id order, each with
// the first entry it runs. Which process runs which entry is EntryProgram's business; the
// executable name is the file it runs (the script, for a script).
QList<RunningApplication> list(const QList<DesktopEntry> &entries);

// The ids of this user's processes that run the entry's application, in order.
QList<qint64> processIds(const DesktopEntry &entry);

} // namespace Quorvel::RunningApplications

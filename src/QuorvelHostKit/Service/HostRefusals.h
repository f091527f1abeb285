#pragma once

#include <QString>

// The plain-English texts with which the host turns down a device's request.
namespace Quorvel::HostRefusals {

// A control that is already running on a device's request.
QString stillRunning(const QString &title);
// A request while the limit of runs at once is reached.
QString tooManyRunning(const QString &hostName);
// A run for which the control has nothing to do.
QString nothingToRun();
// A test or catalog request from a device without editing rights.
QString editingOff(const QString &hostName);
// A deck update from a device without editing rights: also tells how to allow editing, naming
// the setting's key and the file that holds it on the host.
QString editingOffWithHowTo(const QString &hostName, const QString &settingsFilePath);

} // namespace Quorvel::HostRefusals

#pragma once

#include <QString>

namespace Quorvel {

// One running process of this user that runs an installed application.
struct RunningApplication {
    // The application's desktop-entry Name.
    QString name;
    // The file name of what the process runs for the application (the script, for a script).
    QString executableName;
    // The application's desktop-entry id.
    QString bundle;
    qint64 pid = 0;

    friend bool operator==(const RunningApplication &, const RunningApplication &) = default;
};

} // namespace Quorvel

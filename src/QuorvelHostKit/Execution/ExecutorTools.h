#pragma once

#include <QString>

namespace Quorvel {

// The programs the executor runs, by absolute path. Tests put stand-ins in their place.
struct ExecutorTools {
    QString zsh = QStringLiteral("/bin/zsh");
    QString pgrep = QStringLiteral("/usr/bin/pgrep");
    // Lists and runs the user's shortcuts; our own tool, installed beside the application.
    QString shortcuts;
    // Runs AppleScript; this system has none unless something is put at this path.
    QString osascript = QStringLiteral("/usr/bin/osascript");

    // The real paths, with the shortcuts tool in the running application's folder.
    static ExecutorTools defaults();
};

} // namespace Quorvel

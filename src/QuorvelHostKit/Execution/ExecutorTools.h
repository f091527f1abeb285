#pragma once

#include <QString>

namespace Quorvel {

// The programs the executor runs, by absolute path. Tests put stand-ins in their place.
struct ExecutorTools {
    QString zsh = QStringLiteral("/bin/zsh");
    QString pgrep = QStringLiteral("/usr/bin/pgrep");
    // Lists and runs the user's shortcuts; our own tool, shipped with the application.
    QString shortcuts;
    // Runs AppleScript; this system has none unless something is put at this path.
    QString osascript = QStringLiteral("/usr/bin/osascript");

    // The real paths, with the shortcuts tool where the running application's build or
    // package puts it.
    static ExecutorTools defaults();
    // The same for the application in programFolder: the tool beside it, else in the libexec
    // folder the package installs it to.
    static ExecutorTools forProgramIn(const QString &programFolder);
};

} // namespace Quorvel

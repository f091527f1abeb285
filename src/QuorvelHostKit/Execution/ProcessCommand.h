#pragma once

#include "QuorvelHostKit/Execution/ExecutorTools.h"

#include "QuorvelCore/Model/Action.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// One program run as the executor starts it: absolute path, arguments passed as separate items
// without any shell processing, and the time-out in seconds.
struct ProcessCommand {
    QString program;
    QStringList arguments;
    double timeout = 0;

    friend bool operator==(const ProcessCommand &, const ProcessCommand &) = default;

    // The program an action runs; none for the kinds that run inside the host (app and
    // app_control).
    static std::optional<ProcessCommand> forAction(const Action &action,
                                                   const ExecutorTools &tools);
    // A shell command run for a status check.
    static ProcessCommand forShellCheck(const QString &command, const ExecutorTools &tools);
    // The process-table lookup of a process by its name.
    static ProcessCommand forProcessLookup(const QString &name, const ExecutorTools &tools);
    static ProcessCommand forShortcutList(const ExecutorTools &tools);
};

// path with a leading "~" or "~user" replaced by that home folder; other paths unchanged.
QString expandTilde(const QString &path);

} // namespace Quorvel

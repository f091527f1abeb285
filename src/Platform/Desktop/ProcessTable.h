#pragma once

#include "Platform/Desktop/ProcessInfo.h"

#include <QList>
#include <QString>

namespace Quorvel::ProcessTable {

// What the process table (its folder procRoot) says about one process; fields it cannot read are
// left empty.
ProcessInfo read(qint64 pid, const QString &procRoot = QStringLiteral("/proc/"));

// The processes of this user, in process-id order, read from /proc. Processes that end while
// they are read are left out.
QList<ProcessInfo> ownProcesses();

// The id of the process's parent as the kernel keeps it (procRoot is the process table's folder),
// never as the process says it is; 0 when the table has no answer.
qint64 parentOf(qint64 pid, const QString &procRoot = QStringLiteral("/proc/"));

// Whether a process with that id runs now and belongs to this user.
bool isOwnProcess(qint64 pid);

// The ids among pids whose parent process is not among them, in the given order: an
// application's main process ends the helpers it started itself, so only it is asked to end.
QList<qint64> outermost(const QList<qint64> &pids);

// Asks the process to end (SIGTERM). False when it was not asked: with the system's reason in
// error when it refused, with error empty when the process had already gone.
bool terminate(qint64 pid, QString *error);

} // namespace Quorvel::ProcessTable

#include "Platform/Desktop/RunningApplications.h"

#include "Platform/Desktop/EntryProgram.h"
#include "Platform/Desktop/ProcessTable.h"

namespace Quorvel::RunningApplications {

QList<RunningApplication> list(const QList<DesktopEntry> &entries)
{
    QList<EntryProgram> programs;
    programs.reserve(entries.size());
    for (const DesktopEntry &entry : entries)
        programs.append(EntryProgram(entry));

    QList<RunningApplication> running;
    for (const ProcessInfo &process : ProcessTable::ownProcesses()) {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (const std::optional<QString> executable = programs[i].match(process)) {
                running.append({entries[i].name, *executable, entries[i].id, process.pid});
                break;
            }
        }
    }
    return running;
}

QList<qint64> processIds(const DesktopEntry &entry)
{
    QList<qint64> ids;
    for (const RunningApplication &application : list({entry}))
        ids.append(application.pid);
    return ids;
}

} // namespace Quorvel::RunningApplications

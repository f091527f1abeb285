#pragma once

#include "Platform/Desktop/DesktopEntry.h"
#include "Platform/Desktop/EntryProgram.h"

#include <QList>
#include <QString>

#include <optional>

namespace Quorvel {

// Finds the installed application behind a process, for callers that reach this program through
// the session bus or the link handler. A process belongs to an application by the systemd unit
// the desktop started it in (app-[<launcher>-]<id>-<n>.scope or app-[<launcher>-]<id>@<n>.service,
// which also names Flatpak apps), else by running the entry's program as EntryProgram tells it
// (an interpreter's entry only with its own script). A process that matches none is looked at
// through its parents.
class CallerApplication {
public:
    // Processes looked at: the caller and at most this many less one of its ancestors.
    static constexpr int maxTries = 12;

    // procRoot is the process table's folder ("/proc/"); ownAppID is this program's entry, which
    // never counts as the caller (a second start of it only forwards the link).
    CallerApplication(QList<DesktopEntry> entries, QString ownAppID,
                      QString procRoot = QStringLiteral("/proc/"));

    std::optional<DesktopEntry> find(qint64 pid) const;

    // The application id a unit name carries, or none: for example "org.gnome.Terminal" for
    // "app-gnome-org.gnome.Terminal-4711.scope" when such an entry is installed.
    std::optional<DesktopEntry> entryForUnit(const QString &unit) const;

private:
    std::optional<DesktopEntry> entryForProcess(qint64 pid) const;
    std::optional<DesktopEntry> entryWithID(const QString &id) const;

    QList<DesktopEntry> m_entries;
    // One per entry, in the same order.
    QList<EntryProgram> m_programs;
    QString m_ownAppID;
    QString m_procRoot;
};

} // namespace Quorvel

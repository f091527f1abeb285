#pragma once

#include <QString>

namespace Quorvel {

// One installed application as its desktop entry describes it.
struct DesktopEntry {
    // The desktop-entry id, for example "org.example.Editor.desktop": the application's
    // identifier.
    QString id;
    // The entry's Name in the current locale.
    QString name;
    // The entry's file.
    QString filePath;
    // The program the entry's Exec line starts, as written there (a name or a path).
    QString executable;
    // The entry's Icon: a theme icon name or a file path; empty when it names none.
    QString icon;
    // The program the Exec line runs once a leading "env" with its settings is passed over, as
    // written there; the same as executable for most entries.
    QString program;
    // The entry's TryExec, as written there; empty when it has none.
    QString tryExecutable;
    // The Flatpak application id of an entry that Flatpak exported (X-Flatpak).
    QString flatpakId;
    // The snap name of an entry that snapd exported (X-SnapInstanceName).
    QString snapName;
    // The first word the Exec line gives its program after the program's options, field codes
    // ("%f", "%U"…) left out, read against the entry's Path when relative; empty when it gives
    // none. For an interpreter's entry it is the script: "/opt/app.py" for
    // "python3 -u /opt/app.py %U". Initialised here, so that a list of the fields above still
    // makes a whole entry.
    QString argument{};

    friend bool operator==(const DesktopEntry &, const DesktopEntry &) = default;
};

} // namespace Quorvel

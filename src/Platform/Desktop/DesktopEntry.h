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

    friend bool operator==(const DesktopEntry &, const DesktopEntry &) = default;
};

} // namespace Quorvel

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel::ShortcutFolder {

// The folder of the user's shortcuts: every executable file in it is a shortcut named after the
// file.
QString path();

// The names of the shortcuts in folder, in file-name order; hidden files, and names that do not
// fit on one line, are left out.
QStringList names(const QString &folder);

// The executable of the shortcut called name in folder, or none when there is no such shortcut.
// A name that would reach outside the folder names none.
std::optional<QString> executable(const QString &folder, const QString &name);

} // namespace Quorvel::ShortcutFolder

#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// The shortcut names in the output of the shortcuts tool's list: one per line, trimmed of spaces
// and tabs, blank lines dropped, in the user's alphabetical order without regard to case.
QStringList parseShortcutList(const QString &output);

} // namespace Quorvel

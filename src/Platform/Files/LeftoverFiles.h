#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// The temporary files PrivateFile's writes leave behind when the program is killed between the
// write and the rename: nothing else ever removes them.
namespace Quorvel::LeftoverFiles {

// Tells whether the program writes a file of this name in the folder.
using WrittenFile = std::function<bool(const QString &fileName)>;

// Removes from the folder at path the regular files named as PrivateFile names the temporary
// files of a file the program writes there (temporaryFileTarget, then written) whose last change
// came before changedBefore; returns their names. The temporary names of other files are someone
// else's, whatever made them. A write in flight changes its file until the rename, so a time some
// seconds back spares the writes of a copy running beside this one. A symbolic link at path, or
// in the folder under such a name, is never followed nor removed; folders and everything named
// otherwise stay too.
QStringList remove(const QString &path, const WrittenFile &written, const QDateTime &changedBefore);

} // namespace Quorvel::LeftoverFiles

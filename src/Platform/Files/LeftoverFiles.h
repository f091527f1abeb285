#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The temporary files PrivateFile's writes leave behind when the program is killed between the
// write and the rename: nothing else ever removes them.
namespace Quorvel::LeftoverFiles {

// Removes from the folder at path the regular files named as PrivateFile names its temporary
// files (isTemporaryName) whose last change came before changedBefore; returns their names. A
// write in flight changes its file until the rename, so a time some seconds back spares the
// writes of a copy running beside this one. A symbolic link at path, or in the folder under such
// a name, is never followed nor removed; folders and everything named otherwise stay too.
QStringList remove(const QString &path, const QDateTime &changedBefore);

} // namespace Quorvel::LeftoverFiles

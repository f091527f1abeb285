#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The one way the program writes a file: the bytes go to a new temporary file in the same folder,
// every write, the flush to disk and the close are checked, and only then does the file take its
// place in one step. A full disk or an I/O error leaves what was there byte for byte. Files are
// readable by the user alone (0600) and folders made here are the user's alone (0700), whatever
// the umask. A symbolic link at the path is replaced, never followed.
//
// Each call returns 0 when it succeeded, else the errno of the first failure (errorText words
// it). It blocks the caller for the file work only; meant for files of up to a few megabytes.
namespace Quorvel::PrivateFile {

// Puts bytes at path, replacing whatever is there.
int replace(const QString &path, const QByteArray &bytes);
// Puts bytes in the new, empty file open at descriptor, made the user's alone first, and flushes
// them to disk. For a file that another routine puts in place (Qt's own safe-save file): it may
// do so only when this succeeded.
int fill(int descriptor, const QByteArray &bytes);
// Puts bytes at path only when nothing is there yet; EEXIST otherwise. The file never appears
// half written.
int create(const QString &path, const QByteArray &bytes);
// The same inside a folder held open by its descriptor (see PrivateFolder): name is one entry of
// that folder, whatever path leads there now; EINVAL for an empty name or one with a "/".
int createIn(int folder, const QString &name, const QByteArray &bytes);
// Makes the folder and any missing folders above it, each new one 0700.
int makeFolder(const QString &path);
// Takes away every permission of others and the group from an existing folder (the folder of an
// older version). A missing folder, or anything else at the path, is left as it is.
int tightenFolder(const QString &path);
// The same for an existing file. A missing file, or anything else at the path (a symbolic link
// too), is left as it is.
int tightenFile(const QString &path);

// Removes the regular file at path, for a file whose content would mislead once it can't be
// rewritten: a removal needs no room on a full disk. A symbolic link or anything else at path is
// left (EPERM); ENOENT when nothing is there.
int removeFile(const QString &path);

// The name of the file that name stands in for when it is one these functions give their
// temporary files ("." + the file's name + ".new-" + 32 lowercase hexadecimal digits), else
// nothing. A kill between the write and the rename leaves one behind.
std::optional<QString> temporaryFileTarget(const QString &name);

// The reason of an errno these functions returned, as the system words it.
QString errorText(int error);

} // namespace Quorvel::PrivateFile

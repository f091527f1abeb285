#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// A folder of the program's own, held open by its descriptor from the check to the last use:
// every name is looked up in the folder that was opened, so a folder swapped for a link meanwhile
// can't send a write or a removal anywhere else. Only a real folder is opened; a symbolic link at
// the path is never followed, whatever it points to.
class PrivateFolder {
public:
    // Opens the folder at path, making it (0700, with any missing folders above it) when nothing
    // is there.
    explicit PrivateFolder(const QString &path);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    const QString &path() const { return m_path; }
    // 0 when the folder is open, else the errno: ENOTDIR when a symbolic link (even one to a
    // folder) or anything else that is no folder is at the path.
    int error() const { return m_error; }

    // Puts bytes in the folder under name only when nothing has that name yet (PrivateFile's
    // create); EEXIST otherwise.
    int create(const QString &name, const QByteArray &bytes) const;
    // The names of the regular files in the folder; links, folders and the rest are left out.
    QStringList fileNames() const;
    // Removes the regular file name; anything else under that name is left (EPERM).
    int remove(const QString &name) const;
    // When the regular file name was last modified, in nanoseconds since the epoch; nothing when
    // no regular file has that name.
    std::optional<qint64> modifiedAt(const QString &name) const;
    // Sets that time of the regular file name; anything else under that name is left (EPERM).
    int setModifiedAt(const QString &name, qint64 nanoseconds) const;

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
};

} // namespace Quorvel

#include "Tools/ShortcutFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Quorvel::ShortcutFolder {

QString path()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quorvel/Shortcuts");
}

QStringList names(const QString &folder)
{
    QStringList found;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Executable, QDir::Name);
    for (const QFileInfo &entry : entries) {
        // The list has one name a line: a name with a line feed would come out as names of
        // shortcuts that do not exist.
        if (!entry.fileName().contains(u'\n'))
            found.append(entry.fileName());
    }
    return found;
}

std::optional<QString> executable(const QString &folder, const QString &name)
{
    if (name.isEmpty() || name.contains(u'/') || name == u"." || name == u"..")
        return std::nullopt;
    const QFileInfo file(QDir(folder).filePath(name));
    if (!file.isFile() || !file.isExecutable())
        return std::nullopt;
    return file.filePath();
}

} // namespace Quorvel::ShortcutFolder

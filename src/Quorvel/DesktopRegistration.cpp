#include "Quorvel/DesktopRegistration.h"

#include "Quorvel/AppLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Quorvel {

namespace {

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

QStringList DesktopRegistration::registerFrom(const QString &generatedFolder,
                                              const QString &dataHome)
{
    const std::pair<QString, QString> files[] = {
        {QString::fromLatin1(desktopEntryName), QStringLiteral("applications")},
        {QString::fromLatin1(serviceFileName), QStringLiteral("dbus-1/services")},
    };
    QStringList written;
    for (const auto &[name, folder] : files) {
        const std::optional<QByteArray> bytes = readAll(generatedFolder + u'/' + name);
        if (!bytes) {
            qCWarning(lcApp) << "No generated" << name << "in" << generatedFolder;
            continue;
        }
        const QString target = dataHome + u'/' + folder + u'/' + name;
        if (readAll(target) == bytes)
            continue;
        QDir().mkpath(QFileInfo(target).path());
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
            !file.commit()) {
            qCWarning(lcApp) << "Could not write" << target << ":" << file.errorString();
            continue;
        }
        written.append(target);
    }
    return written;
}

} // namespace Quorvel

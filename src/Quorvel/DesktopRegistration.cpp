#include "Quorvel/DesktopRegistration.h"

#include "Platform/Files/PrivateFile.h"
#include "Quorvel/AppLogging.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace Quorvel {

namespace {

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Copies source to target unless target already holds the same bytes; true when it wrote.
bool copyWhenDifferent(const QString &source, const QString &target)
{
    const std::optional<QByteArray> bytes = readAll(source);
    if (!bytes) {
        qCWarning(lcApp) << "Nothing to register at" << source;
        return false;
    }
    if (readAll(target) == bytes)
        return false;
    int failure = PrivateFile::makeFolder(QFileInfo(target).path());
    if (failure == 0)
        failure = PrivateFile::replace(target, *bytes);
    if (failure != 0) {
        qCWarning(lcApp).noquote()
            << "Could not write" << target << ":" << PrivateFile::errorText(failure);
        return false;
    }
    return true;
}

} // namespace

QStringList DesktopRegistration::registerFrom(const QString &generatedFolder,
                                              const QString &iconRoot, const QString &dataHome)
{
    QList<std::pair<QString, QString>> copies = {
        {generatedFolder + u'/' + QLatin1String(desktopEntryName),
         dataHome + QStringLiteral("/applications/") + QLatin1String(desktopEntryName)},
        {generatedFolder + u'/' + QLatin1String(serviceFileName),
         dataHome + QStringLiteral("/dbus-1/services/") + QLatin1String(serviceFileName)},
    };
    const QDir icons(iconRoot);
    QDirIterator it(iconRoot, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString icon = it.next();
        copies.append(
            {icon, dataHome + QStringLiteral("/icons/hicolor/") + icons.relativeFilePath(icon)});
    }
    QStringList written;
    for (const auto &[source, target] : std::as_const(copies)) {
        if (copyWhenDifferent(source, target))
            written.append(target);
    }
    return written;
}

} // namespace Quorvel

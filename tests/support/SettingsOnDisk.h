#pragma once

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariantMap>

// The settings file at path as Qt's own INI format reads it from a copy it has not seen yet, so
// that nothing the process holds in memory stands in for what reached the disk; empty when there
// is no file.
inline QVariantMap settingsOnDisk(const QString &path)
{
    const QString copy = QFileInfo(path).path() + QStringLiteral("/copy.ini");
    QFile::remove(copy);
    if (!QFile::exists(path) || !QFile::copy(path, copy))
        return {};
    QVariantMap values;
    {
        const QSettings settings(copy, QSettings::IniFormat);
        for (const QString &key : settings.allKeys())
            values.insert(key, settings.value(key));
    }
    QFile::remove(copy);
    return values;
}

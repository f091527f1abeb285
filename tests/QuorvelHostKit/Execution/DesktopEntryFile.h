#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Writes a minimal application desktop entry at path, making its folder first, so that a test
// controls exactly which applications the fixture XDG folders offer.
inline bool writeEntry(const QString &path, const QString &name, const QString &exec)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write("[Desktop Entry]\nType=Application\nName=" + name.toUtf8() +
               "\nExec=" + exec.toUtf8() + "\n");
    return true;
}

#pragma once

#include <QFile>
#include <QString>

// Writes an executable shell script at path, standing in for a tool the executor runs.
inline bool writeStandIn(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// True while the process exists and is not a zombie (an orphan's zombie may never be reaped in
// a container).
inline bool isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    return nameEnd >= 0 && line.mid(nameEnd + 2, 1) != "Z";
}

// The process ids written to path, separated by blanks; none when it cannot be read.
inline QList<qint64> readPids(const QString &path)
{
    QFile file(path);
    QList<qint64> pids;
    if (!file.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray &pid : file.readAll().simplified().split(' '))
        pids.append(pid.toLongLong());
    return pids;
}

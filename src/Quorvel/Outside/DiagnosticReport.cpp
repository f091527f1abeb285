#include "Quorvel/Outside/DiagnosticReport.h"

#include <QFile>
#include <QRegularExpression>

namespace Quorvel {

namespace {

QString readTrimmed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

// A value of os-release, unquoted; empty when the file has no such line.
QString osReleaseValue(const QString &text, const QString &key)
{
    for (const QString &line : text.split(u'\n')) {
        if (!line.startsWith(key + u'='))
            continue;
        QString value = line.mid(key.size() + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return QString();
}

// The distribution's PRETTY_NAME, else its NAME.
QString prettyName(const QString &osReleasePath)
{
    const QString text = readTrimmed(osReleasePath);
    const QString pretty = osReleaseValue(text, QStringLiteral("PRETTY_NAME"));
    return pretty.isEmpty() ? osReleaseValue(text, QStringLiteral("NAME")) : pretty;
}

QString rolesText(bool remote, bool hosting)
{
    if (remote && hosting)
        return QStringLiteral("remote + host");
    if (remote)
        return QStringLiteral("remote");
    if (hosting)
        return QStringLiteral("host");
    return QStringLiteral("none");
}

} // namespace

QString DiagnosticReport::homeRelative(const QString &path, const QString &home)
{
    QString base = home;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    if (base.isEmpty() || base == QLatin1String("/") || !path.startsWith(base))
        return path;
    if (path.size() == base.size() || path.at(base.size()) == u'/')
        return u'~' + path.mid(base.size());
    return path;
}

QString DiagnosticReport::dateText(const QDateTime &when, const QLocale &locale)
{
    // Derived from the locale's long form, which has every part in the locale's order: the
    // weekday and the time zone go, the month's name is abbreviated.
    static const QRegularExpression weekday(QStringLiteral("dddd[,.]?\\s*|\\s*dddd"));
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt\\b"));
    QString format = locale.dateTimeFormat(QLocale::LongFormat);
    format.remove(weekday).remove(zone).replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(when, format.trimmed());
}

QString DiagnosticReport::linuxLine(const QString &osReleasePath, const QString &productNamePath)
{
    QString line = QStringLiteral("Linux: ") + prettyName(osReleasePath);
    const QString model = readTrimmed(productNamePath);
    if (!model.isEmpty())
        line += QStringLiteral(" on ") + model;
    return line;
}

QString DiagnosticReport::text() const
{
    QStringList lines;
    lines << QStringLiteral("Quorvel diagnostic report, ") + dateText(now, QLocale());
    lines << QString();
    lines << QStringLiteral("App: ") + version + QStringLiteral(", ") +
                 homeRelative(location, homePath);
    lines << osLine;
    lines << QStringLiteral("Roles: ") + rolesText(remote, hosting);
    lines << QStringLiteral("Start at login: ") +
                 (startsAtLogin ? QStringLiteral("on") : QStringLiteral("off"));
    QString updates =
        QStringLiteral("Updates: ") +
        (automaticallyChecks ? QStringLiteral("checked automatically") : QStringLiteral("manual"));
    if (getsTestBuilds)
        updates += QStringLiteral(", test builds");
    if (availableVersion)
        updates += QStringLiteral(", ") + *availableVersion + QStringLiteral(" available");
    lines << updates;
    if (remoteLines) {
        lines << QString() << QStringLiteral("Remote");
        for (const QString &line : *remoteLines)
            lines << QStringLiteral("  ") + line;
    }
    if (hostLines) {
        lines << QString() << QStringLiteral("Host");
        for (const QString &line : *hostLines)
            lines << QStringLiteral("  ") + line;
        if (editor && editor->connected)
            lines << QStringLiteral("  This computer's editor: open, ") +
                         (editor->canEdit ? QStringLiteral("can edit")
                                          : QStringLiteral("can't edit"));
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace Quorvel

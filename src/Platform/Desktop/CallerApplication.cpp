#include "Platform/Desktop/CallerApplication.h"

#include "Platform/Desktop/ProcessTable.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace Quorvel {

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");

// systemd writes "-" inside a name as "\x2d" (and other bytes the same way).
QString unescapeUnit(const QString &name)
{
    static const QRegularExpression escaped(QStringLiteral("\\\\x([0-9a-fA-F]{2})"));
    QString result;
    qsizetype last = 0;
    for (auto it = escaped.globalMatch(name); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += name.mid(last, match.capturedStart() - last);
        result += QChar(match.captured(1).toUShort(nullptr, 16));
        last = match.capturedEnd();
    }
    return result + name.mid(last);
}

QString lastUnitOf(const QString &procDir)
{
    QFile cgroup(procDir + QStringLiteral("cgroup"));
    if (!cgroup.open(QIODevice::ReadOnly))
        return QString();
    // The unified hierarchy's line, "0::/user.slice/…/app-….scope", names the unit last.
    const QList<QByteArray> lines = cgroup.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("0::"))
            return QFileInfo(QString::fromUtf8(line.mid(3))).fileName();
    }
    return QString();
}

} // namespace

CallerApplication::CallerApplication(QList<DesktopEntry> entries, QString ownAppID,
                                     QString procRoot)
    : m_entries(std::move(entries)), m_ownAppID(std::move(ownAppID)),
      m_procRoot(std::move(procRoot))
{
    m_programs.reserve(m_entries.size());
    for (const DesktopEntry &entry : std::as_const(m_entries))
        m_programs.append(EntryProgram(entry));
}

std::optional<DesktopEntry> CallerApplication::find(qint64 pid) const
{
    const qint64 self = ::getpid();
    for (int tries = 0; tries < maxTries; ++tries) {
        if (const std::optional<DesktopEntry> entry = entryForProcess(pid))
            return entry;
        const qint64 parent = ProcessTable::parentOf(pid, m_procRoot);
        // 1 is the system's first process; 0 means the table had no answer.
        if (parent < 2 || parent == self || parent == pid)
            return std::nullopt;
        pid = parent;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> CallerApplication::entryWithID(const QString &id) const
{
    const QString withSuffix = id.endsWith(desktopSuffix) ? id : id + desktopSuffix;
    for (const DesktopEntry &entry : m_entries) {
        if (entry.id == withSuffix && entry.id != m_ownAppID)
            return entry;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> CallerApplication::entryForUnit(const QString &unit) const
{
    static const QRegularExpression appUnit(
        QStringLiteral("^app-(.+?)(?:-[^-]+\\.scope|@[^@]*\\.service|\\.service)$"));
    const QRegularExpressionMatch match = appUnit.match(unit);
    if (!match.hasMatch())
        return std::nullopt;
    const QString named = unescapeUnit(match.captured(1));
    if (const std::optional<DesktopEntry> entry = entryWithID(named))
        return entry;
    // With a launcher's name first ("gnome-", "flatpak-", "gio-"…): the id follows its dash.
    const qsizetype dash = named.indexOf(u'-');
    if (dash > 0)
        return entryWithID(named.mid(dash + 1));
    return std::nullopt;
}

std::optional<DesktopEntry> CallerApplication::entryForProcess(qint64 pid) const
{
    const QString procDir = m_procRoot + QString::number(pid) + u'/';
    if (const std::optional<DesktopEntry> entry = entryForUnit(lastUnitOf(procDir)))
        return entry;
    const ProcessInfo process = ProcessTable::read(pid, m_procRoot);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).id != m_ownAppID && m_programs.at(i).match(process))
            return m_entries.at(i);
    }
    return std::nullopt;
}

} // namespace Quorvel

#include "Platform/Files/IniText.h"

#include "Platform/Files/IniValueText.h"

#include <QList>
#include <QMap>
#include <QPair>

namespace Quorvel::IniText {

namespace {

const QByteArray utf8ByteOrderMark = "\xEF\xBB\xBF";

// One line of the file: where it starts, how long it is, and where its first "=" outside quotes
// is (or -1).
struct Line {
    qsizetype start = 0;
    qsizetype size = 0;
    qsizetype equals = -1;
};

bool isSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

// The next line from at on, blank lines and comments skipped; false at the end of the text. A
// line ends at a line end outside quotes or at a ";" outside quotes; a backslash keeps the
// character after it (and a line end pair) in the line.
bool nextLine(QByteArrayView text, qsizetype &at, Line *line)
{
    qsizetype start = at;
    while (start < text.size() && isSpace(text.at(start)))
        ++start;
    line->equals = -1;
    bool inQuotes = false;
    qsizetype index = start;
    while (index < text.size()) {
        const char character = text.at(index++);
        if (character == '=') {
            if (!inQuotes && line->equals < 0)
                line->equals = index - 1;
        } else if (character == '\n' || character == '\r') {
            if (!inQuotes) {
                --index;
                break;
            }
        } else if (character == '\\') {
            if (index < text.size()) {
                const char escaped = text.at(index++);
                if (index < text.size()) {
                    const char next = text.at(index);
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++index;
                }
            }
        } else if (character == '"') {
            inQuotes = !inQuotes;
        } else if (character == ';') {
            if (index == start + 1) {
                // A comment: the line starts after it.
                while (index < text.size() && text.at(index) != '\n' && text.at(index) != '\r')
                    ++index;
                while (index < text.size() && isSpace(text.at(index)))
                    ++index;
                start = index;
            } else if (!inQuotes) {
                --index;
                break;
            }
        }
    }
    at = index;
    line->start = start;
    line->size = index - start;
    return line->size > 0;
}

// The prefix that a group's header line gives its keys: "" for "[General]", else "name/".
QString groupPrefix(QByteArrayView header)
{
    qsizetype end = header.indexOf(']');
    if (end < 0)
        end = header.size();
    const QByteArrayView name = header.first(end).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    // "[%General]" holds a group that is really called "General".
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(name.sliced(1)) + u'/';
    return IniValueText::key(name) + u'/';
}

void readGroup(const QString &prefix, QByteArrayView text, QSettings::SettingsMap &settings)
{
    qsizetype at = 0;
    Line line;
    while (nextLine(text, at, &line)) {
        if (line.equals < 0)
            continue;
        const QByteArrayView key = text.sliced(line.start, line.equals - line.start).trimmed();
        const qsizetype valueStart = line.equals + 1;
        const QByteArrayView value = text.sliced(valueStart, line.start + line.size - valueStart);
        settings.insert(prefix + IniValueText::key(key), IniValueText::value(value));
    }
}

QByteArray groupHeader(const QString &group)
{
    QByteArray name;
    IniValueText::appendKey(group, name);
    if (name.isEmpty())
        return "[General]";
    // A group that is really called "General" must not read back as the top.
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return "[%General]";
    return '[' + name + ']';
}

} // namespace

QByteArray write(const QSettings::SettingsMap &settings)
{
    QMap<QString, QList<QPair<QString, QVariant>>> groups;
    for (auto setting = settings.cbegin(); setting != settings.cend(); ++setting) {
        const QString &key = setting.key();
        const qsizetype slash = key.indexOf(u'/');
        if (slash < 0)
            groups[QString()].append({key, setting.value()});
        else
            groups[key.left(slash)].append({key.sliced(slash + 1), setting.value()});
    }
    QByteArray text;
    for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
        if (group != groups.cbegin())
            text += '\n';
        text += groupHeader(group.key());
        text += '\n';
        for (const auto &[name, value] : group.value()) {
            IniValueText::appendKey(name, text);
            text += '=';
            IniValueText::appendValue(value, text);
            text += '\n';
        }
    }
    return text;
}

QSettings::SettingsMap read(QByteArrayView text)
{
    // Each group's lines, a group given twice joined, read in order of the groups' prefixes.
    QMap<QString, QByteArray> groups;
    QString prefix;
    qsizetype groupStart = 0;
    // A byte order mark is passed over when looking for the first group, but it stays in the
    // lines before any group, as Qt's reader keeps it: the key it starts drops only the mark
    // itself, so the blanks or a second mark after it stay part of the key.
    qsizetype at = text.startsWith(utf8ByteOrderMark) ? utf8ByteOrderMark.size() : 0;
    Line line;
    const auto closeGroup = [&](qsizetype end) {
        QByteArray &lines = groups[prefix];
        if (!lines.isEmpty())
            lines += '\n';
        lines += text.sliced(groupStart, end - groupStart);
    };
    while (nextLine(text, at, &line)) {
        if (text.at(line.start) != '[')
            continue;
        closeGroup(line.start);
        prefix = groupPrefix(text.sliced(line.start, line.size));
        groupStart = at;
    }
    closeGroup(text.size());
    QSettings::SettingsMap settings;
    for (auto group = groups.cbegin(); group != groups.cend(); ++group)
        readGroup(group.key(), group.value(), settings);
    return settings;
}

} // namespace Quorvel::IniText

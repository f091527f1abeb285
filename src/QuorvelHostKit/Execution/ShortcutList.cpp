#include "QuorvelHostKit/Execution/ShortcutList.h"

#include "QuorvelHostKit/Execution/LocalizedOrder.h"

namespace Quorvel {

namespace {

// Only blanks are trimmed: a carriage return is part of a name as the tool printed it.
QString trimmedOfBlanks(const QString &text)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QStringList parseShortcutList(const QString &output)
{
    QStringList names;
    for (const QString &line : output.split(u'\n', Qt::SkipEmptyParts)) {
        const QString name = trimmedOfBlanks(line);
        if (!name.isEmpty())
            names.append(name);
    }
    sortLocalizedCaseInsensitive(names);
    return names;
}

} // namespace Quorvel

#include "Widgets/FieldBreaks.h"

#include <algorithm>

namespace Quorvel::FieldBreaks {

namespace {

const QString lineFeed = QStringLiteral("\n");
// Qt's marks for the start and the end of a frame, which a document also turns into a break.
constexpr char16_t frameStart = 0xfdd0;
constexpr char16_t frameEnd = 0xfdd1;

qsizetype storedIn(QStringView text)
{
    return std::count_if(text.cbegin(), text.cend(), isStored);
}

} // namespace

bool isStored(QChar character)
{
    return character == QChar::ParagraphSeparator || character == QChar::LineSeparator;
}

QList<QString> of(const QString &text)
{
    QList<QString> breaks;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar character = text.at(at);
        if (character == u'\r' && at + 1 < text.size() && text.at(at + 1) == u'\n') {
            breaks.append(QStringLiteral("\r\n"));
            ++at;
        } else if (character == u'\r' || character == u'\n' || isStored(character) ||
                   character == frameStart || character == frameEnd) {
            breaks.append(QString(character));
        }
    }
    return breaks;
}

QString restored(const QString &raw, const QList<QString> &breaks)
{
    QString text;
    text.reserve(raw.size());
    qsizetype next = 0;
    for (const QChar character : raw) {
        if (!isStored(character)) {
            text.append(character);
            continue;
        }
        text.append(next < breaks.size() ? breaks.at(next) : lineFeed);
        ++next;
    }
    return text;
}

QList<QString> afterChange(const QList<QString> &breaks, const QString &raw, int position,
                           int added)
{
    const QStringView text(raw);
    const qsizetype start = std::clamp<qsizetype>(position, 0, text.size());
    const qsizetype end = std::clamp<qsizetype>(qsizetype(position) + added, start, text.size());
    const qsizetype before = storedIn(text.first(start));
    const qsizetype made = storedIn(text.sliced(start, end - start));
    const qsizetype after = storedIn(text.sliced(end));
    QList<QString> changed;
    if (before + after > breaks.size()) {
        // The change does not fit what was held: every break reads as a line feed.
        changed.fill(lineFeed, before + made + after);
        return changed;
    }
    changed.reserve(before + made + after);
    changed.append(breaks.first(before));
    changed.append(QList<QString>(made, lineFeed));
    changed.append(breaks.last(after));
    return changed;
}

} // namespace Quorvel::FieldBreaks

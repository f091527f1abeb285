#include "Platform/Text/OutsideText.h"

#include <QTextBoundaryFinder>

namespace Quorvel::OutsideText {

namespace {

// Characters that would let outside text break a line, or reorder what a reader sees around it.
bool isUnsafe(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    // A lone half of a surrogate pair, which no encoding can write.
    case QChar::Other_Surrogate:
        return true;
    default:
        break;
    }
    // Direction embeddings, overrides and isolates.
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The position, at most `limit`, that does not split a surrogate pair.
qsizetype codePointBoundary(const QString &text, qsizetype limit)
{
    if (limit < text.size() && limit > 0 && text.at(limit).isLowSurrogate())
        return limit - 1;
    return std::min(limit, text.size());
}

// The code point at `i`, a lone surrogate as itself.
char32_t codePointAt(const QString &text, qsizetype i, qsizetype end)
{
    const QChar first = text.at(i);
    if (first.isHighSurrogate() && i + 1 < end && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(i + 1));
    return first.unicode();
}

QString escaped(char32_t c)
{
    switch (c) {
    case U'\n':
        return QStringLiteral("\\n");
    case U'\r':
        return QStringLiteral("\\r");
    case U'\t':
        return QStringLiteral("\\t");
    default:
        return QStringLiteral("\\u{%1}").arg(
            QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'));
    }
}

} // namespace

QString forShowing(const QString &text)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype characters = 0; characters < maxShownCharacters; ++characters) {
        const qsizetype next = graphemes.toNextBoundary();
        if (next < 0 || next > maxShownUnits)
            break;
        end = next;
    }
    // One character longer than the whole allowance is cut between its code points.
    if (end == 0 && !text.isEmpty())
        end = codePointBoundary(text, maxShownUnits);

    QString clipped;
    clipped.reserve(end);
    for (qsizetype i = 0; i < end;) {
        const char32_t c = codePointAt(text, i, end);
        const qsizetype width = QChar::requiresSurrogates(c) ? 2 : 1;
        if (isUnsafe(c))
            clipped += QChar::ReplacementCharacter;
        else
            clipped += text.mid(i, width);
        i += width;
    }
    return clipped;
}

QString forLog(const QString &text)
{
    const qsizetype end = codePointBoundary(text, maxLogLength);
    QString result;
    result.reserve(end + end / 4);
    for (qsizetype i = 0; i < end;) {
        const char32_t c = codePointAt(text, i, end);
        const qsizetype width = QChar::requiresSurrogates(c) ? 2 : 1;
        if (c == U'\\')
            result += QStringLiteral("\\\\");
        else if (isUnsafe(c))
            result += escaped(c);
        else
            result += text.mid(i, width);
        i += width;
    }
    if (end < text.size())
        result += QStringLiteral("… (%1 characters)").arg(text.size());
    return result;
}

} // namespace Quorvel::OutsideText

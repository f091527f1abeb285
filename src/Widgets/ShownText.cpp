#include "Widgets/ShownText.h"

#include <QChar>

#include <utility>

namespace Quorvel::ShownText {

namespace {

const QChar ellipsis(0x2026);
// A hidden character is written with at least this many hexadecimal digits, as U+ numbers are.
constexpr int shortestCode = 4;
constexpr int hexadecimal = 16;

// The character that starts at an offset and the offset after it. A lone surrogate stands for
// itself.
std::pair<char32_t, qsizetype> characterAt(const QString &text, qsizetype at)
{
    const QChar first = text.at(at);
    if (first.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return {QChar::surrogateToUcs4(first, text.at(at + 1)), at + 2};
    return {first.unicode(), at + 1};
}

// Written as an escape in a JSON view: hidden, or a space that looks like U+0020 but isn't.
bool escapedInJson(char32_t character)
{
    return isHidden(character) ||
           (QChar::category(character) == QChar::Separator_Space && character != U' ');
}

} // namespace

bool isLineBreak(char32_t character)
{
    switch (character) {
    case U'\n':
    case U'\r':
    case U'\v':
    case U'\f':
    case U'\u0085':
    case U'\u2028':
    case U'\u2029':
        return true;
    default:
        return false;
    }
}

QString oneLine(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar character = text.at(at);
        if (!isLineBreak(character.unicode())) {
            shown.append(character);
            continue;
        }
        if (character == u'\r' && at + 1 < text.size() && text.at(at + 1) == u'\n')
            ++at;
        shown.append(u' ');
    }
    return shown;
}

QString firstLine(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && !isLineBreak(text.at(end).unicode()))
        ++end;
    const QString first = text.left(end);
    const QString rest = text.mid(end);
    return rest.trimmed().isEmpty() ? first : first + ellipsis;
}

bool isHidden(char32_t character)
{
    if (character == U'\t' || character == U'\n')
        return false;
    switch (QChar::category(character)) {
    case QChar::Other_Format:
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

bool holdsHidden(const QString &text)
{
    for (qsizetype at = 0; at < text.size();) {
        const auto [character, next] = characterAt(text, at);
        if (isHidden(character))
            return true;
        at = next;
    }
    return false;
}

QString withHiddenShown(const QString &text)
{
    if (!holdsHidden(text))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const auto [character, next] = characterAt(text, at);
        if (isHidden(character)) {
            shown += QStringLiteral("<U+%1>").arg(
                QString::number(uint(character), hexadecimal).toUpper(), shortestCode,
                QLatin1Char('0'));
        } else {
            shown += QStringView(text).sliced(at, next - at);
        }
        at = next;
    }
    return shown;
}

QString jsonWithHiddenEscaped(const QString &json)
{
    QString shown;
    shown.reserve(json.size());
    bool inString = false;
    for (qsizetype at = 0; at < json.size();) {
        const auto [character, next] = characterAt(json, at);
        const QStringView written = QStringView(json).sliced(at, next - at);
        if (inString && character == U'\\' && next < json.size()) {
            // An escape already there, with the character it escapes (a quote among them).
            shown += QStringView(json).sliced(at, 2);
            at += 2;
            continue;
        }
        if (character == U'"')
            inString = !inString;
        if (!inString || !escapedInJson(character)) {
            shown += written;
        } else {
            // A character beyond U+FFFF is escaped as its two halves, as JSON writes it.
            for (const QChar half : written)
                shown += QStringLiteral("\\u%1").arg(half.unicode(), shortestCode, hexadecimal,
                                                     QLatin1Char('0'));
        }
        at = next;
    }
    return shown;
}

} // namespace Quorvel::ShownText

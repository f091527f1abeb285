#include "Knobwire/Clip.h"

namespace Knobwire {

namespace {

// Control characters and the marks that change the direction of the text around them.
bool isDropped(char32_t scalar)
{
    return scalar <= 0x1F || (scalar >= 0x7F && scalar <= 0x9F) || scalar == 0x200E ||
           scalar == 0x200F || scalar == 0x061C || (scalar >= 0x202A && scalar <= 0x202E) ||
           (scalar >= 0x2066 && scalar <= 0x2069);
}

} // namespace

QString clip(const QString &text, qsizetype limit)
{
    QString result;
    qsizetype kept = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size && kept < limit; ++i) {
        const QChar unit = text.at(i);
        char32_t scalar = unit.unicode();
        if (unit.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            scalar = QChar::surrogateToUcs4(unit, text.at(i + 1));
            ++i;
        } else if (unit.isSurrogate()) {
            // Half of a pair is no character; it stands for the replacement character, as it
            // would after any trip through UTF-8.
            scalar = QChar::ReplacementCharacter;
        }
        if (isDropped(scalar)) {
            continue;
        }
        result.append(QStringView(QChar::fromUcs4(scalar)));
        ++kept;
    }
    return result;
}

} // namespace Knobwire

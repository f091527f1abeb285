#pragma once

#include <QString>

// Text the program did not write itself (device and host names, deck and action titles, links,
// other apps' words), made safe for a log line or a notice: it can neither start a line of its
// own, nor reorder what a reader sees around it, nor flood the log.
namespace Quorvel::OutsideText {

// User-perceived characters of a shown text (a name, a notice's title) kept.
inline constexpr qsizetype maxShownCharacters = 64;
// UTF-16 units of a shown text kept, so that 64 characters each made of endless combining marks
// still make a short text; room for 64 emoji of up to 8 units.
inline constexpr qsizetype maxShownUnits = 512;
// Characters of one piece of outside text written into a log line.
inline constexpr qsizetype maxLogLength = 160;

// The text for a log line: backslashes doubled, control, separator and direction characters
// written as \n, \t or \u{XXXX}, clipped to maxLogLength characters with "…" and the original
// length appended when clipped.
QString forLog(const QString &text);

// The text to show on one line (a name, a notice's title): control, line-separator and
// text-direction characters replaced by U+FFFD, clipped to maxShownCharacters user-perceived
// characters and maxShownUnits units.
QString forShowing(const QString &text);

} // namespace Quorvel::OutsideText

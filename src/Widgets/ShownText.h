#pragma once

#include <QString>

// How outside text (titles, commands) is shown where it must not mislead: on one line in a
// one-line place, and with the characters that change how text looks without being seen made
// visible. What is stored and run is never changed by these; they only make the shown text.
namespace Quorvel::ShownText {

// A character that ends a line: line feed, carriage return, vertical tab, form feed, next line
// (U+0085), line separator (U+2028) and paragraph separator (U+2029).
bool isLineBreak(char32_t character);

// The text with each line break (a carriage return and line feed pair counting as one) turned
// into one space: what a one-line field takes from a paste or a drop, and how a one-line place
// shows a title that holds breaks.
QString oneLine(const QString &text);

// The text up to its first line break, followed by "…" when anything but white space comes after
// it: a one-line place that shows where lines are left out.
QString firstLine(const QString &text);

// A character that takes no room of its own yet changes what the text around it looks like, or
// that a field would draw as nothing: every format character (direction embeddings, overrides and
// isolates with their pops, the left-to-right, right-to-left and Arabic letter marks, zero-width
// spaces and joiners, the word joiner, the byte order mark, the soft hyphen, tags), every control
// character except tab and line feed, and the line and paragraph separators.
bool isHidden(char32_t character);
bool holdsHidden(const QString &text);

// The text with each hidden character written out as "<U+XXXX>" (at least four hexadecimal
// digits), so a command that runs "evil" can't read as "live".
QString withHiddenShown(const QString &text);

// JSON text with each hidden character, and each space other than U+0020 (a no-break space reads
// as a plain one), inside its strings written as a "\uXXXX" escape, so that a JSON view shows
// them and keeps them through an edit: the text parses to the same values. Text outside strings
// is left alone.
QString jsonWithHiddenEscaped(const QString &json);

} // namespace Quorvel::ShownText

#pragma once

#include <QList>
#include <QString>

// How a multi-line field keeps the line breaks of the text it was given. Its document holds each
// paragraph as a block and stores every break between blocks as U+2029, whether the text had a
// line feed, a carriage return, a CR LF pair, a paragraph separator or one of Qt's two frame
// marks there; a line separator (U+2028) stays in its paragraph as it is, and Shift+Return types
// one. Reading the document back therefore needs, for each U+2029 and U+2028 of its raw text, what
// stood there in the text: these are that list and its uses. A break the field made itself
// (Return, Shift+Return, a pasted break) reads as a line feed.
namespace Quorvel::FieldBreaks {

// A character of a document's raw text that stands for a break: U+2029 or U+2028.
bool isStored(QChar character);

// The breaks of text as it writes them, one for each break its document stores, in order.
QList<QString> of(const QString &text);

// The document's raw text with each stored break written as breaks says (a line feed where the
// list runs short).
QString restored(const QString &raw, const QList<QString> &breaks);

// The breaks after a change of the document: raw is its text now, in which the added characters
// start at position; the breaks before it are kept, as are those after the change, and each new
// one reads as a line feed.
QList<QString> afterChange(const QList<QString> &breaks, const QString &raw, int position,
                           int added);

} // namespace Quorvel::FieldBreaks

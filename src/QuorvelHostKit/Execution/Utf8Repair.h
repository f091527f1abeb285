#pragma once

#include <QByteArray>
#include <QString>

namespace Quorvel {

// Decodes bytes as UTF-8, replacing each maximal ill-formed subpart with one U+FFFD as the Unicode
// standard recommends (a character cut off at the end of the bytes becomes a single U+FFFD).
// Nothing is trimmed.
QString repairedUtf8(const QByteArray &bytes);

} // namespace Quorvel

#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace Quorvel {

// Dates on the host link and in the host's files: UTC, whole seconds, "yyyy-MM-ddTHH:mm:ssZ".

// The wire text of a date, its fraction of a second dropped; an invalid date gives no text.
std::optional<QString> formatWireDate(const QDateTime &date);

// Reads exactly the form above and nothing else (no fractions, no offsets, no lower-case
// letters, no surrounding space); the result is a UTC date.
std::optional<QDateTime> parseWireDate(const QString &text);

// The date with its fraction of a second dropped, as it reads back after a round trip.
QDateTime wholeSeconds(const QDateTime &date);

} // namespace Quorvel

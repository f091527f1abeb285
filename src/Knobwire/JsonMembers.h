#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// Readers of one member of a received JSON object. Each accepts exactly its own JSON type: a
// number is never read as a Boolean, a Boolean never as a number, digits in a text never as a
// number.
namespace Knobwire {

std::optional<QString> string(QLatin1StringView name, const QJsonObject &object);
std::optional<double> number(QLatin1StringView name, const QJsonObject &object);
std::optional<bool> boolean(QLatin1StringView name, const QJsonObject &object);

// A received number as an integer, rounded half away from zero; none when it is absent, not
// finite or more than a billion in magnitude.
std::optional<int> roundedInteger(std::optional<double> number);

// A double as a JSON number: finite values as the shortest text that reads back the same,
// NaN and infinities as the integer 0.
QJsonValue jsonNumber(double value);

} // namespace Knobwire

#include "Knobwire/JsonMembers.h"

#include <QJsonValue>

#include <cmath>

namespace Knobwire {

namespace {

// Largest magnitude of a received count that is turned into an integer; far beyond any real
// protocol number, channel count or step, and well inside a 32-bit integer.
constexpr double maxIntegerMagnitude = 1000000000.0;

} // namespace

std::optional<QString> string(QLatin1StringView name, const QJsonObject &object)
{
    const QJsonValue value = object.value(name);
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<double> number(QLatin1StringView name, const QJsonObject &object)
{
    const QJsonValue value = object.value(name);
    if (!value.isDouble()) {
        return std::nullopt;
    }
    return value.toDouble();
}

std::optional<bool> boolean(QLatin1StringView name, const QJsonObject &object)
{
    const QJsonValue value = object.value(name);
    if (!value.isBool()) {
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<int> roundedInteger(std::optional<double> number)
{
    if (!number || !std::isfinite(*number) || std::abs(*number) > maxIntegerMagnitude) {
        return std::nullopt;
    }
    return static_cast<int>(std::round(*number));
}

QJsonValue jsonNumber(double value)
{
    if (!std::isfinite(value)) {
        return QJsonValue(0);
    }
    return QJsonValue(value);
}

} // namespace Knobwire

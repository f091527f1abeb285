#include "QuorvelCore/Model/AppControlValue.h"

#include "QuorvelCore/Model/NumberText.h"

#include <cmath>

namespace Quorvel {

AppControlValue::AppControlValue(Kind kind, double level) : m_kind(kind), m_level(level) {}

AppControlValue AppControlValue::level(double value)
{
    return AppControlValue(Kind::level, value);
}

AppControlValue AppControlValue::on()
{
    return AppControlValue(Kind::on, 0);
}

AppControlValue AppControlValue::off()
{
    return AppControlValue(Kind::off, 0);
}

AppControlValue AppControlValue::press()
{
    return AppControlValue(Kind::press, 0);
}

std::optional<AppControlValue> AppControlValue::fromString(const QString &text)
{
    if (text == QLatin1String("on"))
        return on();
    if (text == QLatin1String("off"))
        return off();
    if (text == QLatin1String("press"))
        return press();
    const std::optional<double> number = parseNumberText(text);
    if (!number || !std::isfinite(*number) || *number < 0.0 || *number > 1.0)
        return std::nullopt;
    return level(*number);
}

QString AppControlValue::text() const
{
    switch (m_kind) {
    case Kind::on:
        return QStringLiteral("on");
    case Kind::off:
        return QStringLiteral("off");
    case Kind::press:
        return QStringLiteral("press");
    case Kind::level:
        break;
    }
    return shortestNumberText(m_level);
}

bool operator==(const AppControlValue &a, const AppControlValue &b)
{
    return a.m_kind == b.m_kind &&
           (a.m_kind != AppControlValue::Kind::level || a.m_level == b.m_level);
}

} // namespace Quorvel

#include "QuorvelCore/Model/Action.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"

namespace Quorvel {

Action Action::appControl(const QString &app, const QString &control, const AppControlValue &value)
{
    return Action{Kind::appControl, app, std::nullopt, control, value.text()};
}

QJsonObject Action::toJson() const
{
    QJsonObject json{{QStringLiteral("type"), rawValue(type)}, {QStringLiteral("target"), target}};
    if (timeout)
        json.insert(QStringLiteral("timeout"), *timeout);
    if (control)
        json.insert(QStringLiteral("control"), *control);
    if (value)
        json.insert(QStringLiteral("value"), *value);
    return json;
}

std::optional<Action> Action::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    Action action;
    action.type = reader.requiredEnum<Kind>(QStringLiteral("type"));
    action.target = reader.requiredString(QStringLiteral("target"));
    action.timeout = reader.optionalDouble(QStringLiteral("timeout"));
    action.control = reader.optionalString(QStringLiteral("control"));
    action.value = reader.optionalString(QStringLiteral("value"));
    if (!reader.ok())
        return std::nullopt;
    return action;
}

bool operator==(const Action &a, const Action &b)
{
    return a.type == b.type && sameText(a.target, b.target) && a.timeout == b.timeout &&
           sameText(a.control, b.control) && sameText(a.value, b.value);
}

} // namespace Quorvel

#include "QuorvelCore/Model/Control.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"

namespace Quorvel {

QJsonObject Control::toJson() const
{
    QJsonObject json{{QStringLiteral("id"), id},
                     {QStringLiteral("title"), title},
                     {QStringLiteral("type"), rawValue(type)}};
    if (icon)
        json.insert(QStringLiteral("icon"), *icon);
    if (action)
        json.insert(QStringLiteral("action"), action->toJson());
    if (onAction)
        json.insert(QStringLiteral("on_action"), onAction->toJson());
    if (offAction)
        json.insert(QStringLiteral("off_action"), offAction->toJson());
    if (statusCheck)
        json.insert(QStringLiteral("status_check"), statusCheck->toJson());
    return json;
}

std::optional<Control> Control::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    Control control;
    control.id = reader.requiredString(QStringLiteral("id"));
    control.title = reader.requiredString(QStringLiteral("title"));
    control.type = reader.requiredEnum<ControlType>(QStringLiteral("type"));
    control.icon = reader.optionalString(QStringLiteral("icon"));
    control.action = reader.optionalRecord<Action>(QStringLiteral("action"));
    control.onAction = reader.optionalRecord<Action>(QStringLiteral("on_action"));
    control.offAction = reader.optionalRecord<Action>(QStringLiteral("off_action"));
    control.statusCheck = reader.optionalRecord<StatusCheck>(QStringLiteral("status_check"));
    if (!reader.ok())
        return std::nullopt;
    return control;
}

bool operator==(const Control &a, const Control &b)
{
    return sameText(a.id, b.id) && sameText(a.title, b.title) && a.type == b.type &&
           sameText(a.icon, b.icon) && a.action == b.action && a.onAction == b.onAction &&
           a.offAction == b.offAction && a.statusCheck == b.statusCheck;
}

} // namespace Quorvel

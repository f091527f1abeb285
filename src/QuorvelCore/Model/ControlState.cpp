#include "QuorvelCore/Model/ControlState.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"
#include "QuorvelCore/Model/WireDate.h"

#include <limits>

namespace Quorvel {

QJsonObject ControlState::toJson() const
{
    QJsonObject json{{QStringLiteral("id"), id}, {QStringLiteral("is_busy"), isBusy}};
    if (isOn)
        json.insert(QStringLiteral("is_on"), *isOn);
    if (detail)
        json.insert(QStringLiteral("detail"), *detail);
    const std::optional<QString> date = formatWireDate(checkedAt);
    if (date)
        json.insert(QStringLiteral("checked_at"), *date);
    else
        json.insert(QStringLiteral("checked_at"), std::numeric_limits<double>::quiet_NaN());
    return json;
}

std::optional<ControlState> ControlState::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    ControlState state;
    state.id = reader.requiredString(QStringLiteral("id"));
    state.isOn = reader.optionalBool(QStringLiteral("is_on"));
    state.detail = reader.optionalString(QStringLiteral("detail"));
    state.isBusy = reader.requiredBool(QStringLiteral("is_busy"));
    state.checkedAt = reader.requiredDate(QStringLiteral("checked_at"));
    if (!reader.ok())
        return std::nullopt;
    return state;
}

bool operator==(const ControlState &a, const ControlState &b)
{
    return sameText(a.id, b.id) && a.isOn == b.isOn && sameText(a.detail, b.detail) &&
           a.isBusy == b.isBusy && a.checkedAt == b.checkedAt;
}

} // namespace Quorvel

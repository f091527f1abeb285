#include "QuorvelCore/Model/StatusCheck.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"

namespace Quorvel {

QJsonObject StatusCheck::toJson() const
{
    QJsonObject json{{QStringLiteral("type"), rawValue(type)}, {QStringLiteral("target"), target}};
    if (interval)
        json.insert(QStringLiteral("interval"), *interval);
    if (control)
        json.insert(QStringLiteral("control"), *control);
    return json;
}

std::optional<StatusCheck> StatusCheck::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    StatusCheck check;
    check.type = reader.requiredEnum<Kind>(QStringLiteral("type"));
    check.target = reader.requiredString(QStringLiteral("target"));
    check.interval = reader.optionalDouble(QStringLiteral("interval"));
    check.control = reader.optionalString(QStringLiteral("control"));
    if (!reader.ok())
        return std::nullopt;
    return check;
}

bool operator==(const StatusCheck &a, const StatusCheck &b)
{
    return a.type == b.type && sameText(a.target, b.target) && a.interval == b.interval &&
           sameText(a.control, b.control);
}

} // namespace Quorvel

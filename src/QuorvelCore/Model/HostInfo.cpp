#include "QuorvelCore/Model/HostInfo.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"

namespace Quorvel {

QJsonObject HostInfo::toJson() const
{
    return QJsonObject{{QStringLiteral("host_name"), hostName},
                       {QStringLiteral("version"), version},
                       {QStringLiteral("deck_editing_allowed"), deckEditingAllowed}};
}

std::optional<HostInfo> HostInfo::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    HostInfo info;
    info.hostName = reader.requiredString(QStringLiteral("host_name"));
    info.version = reader.requiredString(QStringLiteral("version"));
    info.deckEditingAllowed = reader.requiredBool(QStringLiteral("deck_editing_allowed"));
    if (!reader.ok())
        return std::nullopt;
    return info;
}

bool operator==(const HostInfo &a, const HostInfo &b)
{
    return sameText(a.hostName, b.hostName) && sameText(a.version, b.version) &&
           a.deckEditingAllowed == b.deckEditingAllowed;
}

} // namespace Quorvel

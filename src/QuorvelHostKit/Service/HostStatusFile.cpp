#include "QuorvelHostKit/Service/HostStatusFile.h"

#include "Platform/Files/PrivateFile.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelCore/Model/WireDate.h"

namespace Quorvel {

QJsonObject HostStatusFile::toJson() const
{
    QJsonObject json{
        {QStringLiteral("version"), version},
        {QStringLiteral("host_name"), hostName},
        {QStringLiteral("listener"), listener},
        {QStringLiteral("local_network"), localNetwork},
        {QStringLiteral("clients"), clients},
        // Readers of the file from other systems look for these two; the keyring here never
        // shares the code between computers, so they are always false.
        {QStringLiteral("pairing_in_keychain_group"), false},
        {QStringLiteral("icloud_signed_in"), false},
        {QStringLiteral("deck_editing_allowed"), deckEditingAllowed},
        {QStringLiteral("keep_awake"), keepAwake},
        {QStringLiteral("awake_lock_held"), awakeLockHeld},
        {QStringLiteral("updated_at"), formatWireDate(updatedAt).value_or(QString())},
    };
    if (port) {
        json.insert(QStringLiteral("port"), int(*port));
    }
    if (deckProblem) {
        json.insert(QStringLiteral("deck_problem"), *deckProblem);
    }
    if (awakeLockProblem) {
        json.insert(QStringLiteral("awake_lock_problem"), *awakeLockProblem);
    }
    return json;
}

std::optional<QByteArray> HostStatusFile::encoded(QString *error) const
{
    return WireCodec::prettyEncoder(true).encode(*this, error);
}

bool HostStatusFile::write(const QString &path, QString *error) const
{
    const std::optional<QByteArray> bytes = encoded(error);
    if (!bytes) {
        return false;
    }
    if (const int failure = PrivateFile::replace(path, *bytes)) {
        if (error) {
            *error = PrivateFile::errorText(failure);
        }
        return false;
    }
    return true;
}

} // namespace Quorvel

#include "QuorvelHostKit/Service/HostStatusFile.h"

#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelCore/Model/WireDate.h"

#include <QSaveFile>

namespace Quorvel {

QJsonObject HostStatusFile::toJson() const
{
    QJsonObject json{
        {QStringLiteral("version"), version},
        {QStringLiteral("host_name"), hostName},
        {QStringLiteral("listener"), listener},
        {QStringLiteral("local_network"), localNetwork},
        {QStringLiteral("clients"), clients},
        {QStringLiteral("pairing_in_keychain_group"), pairingInKeychainGroup},
        {QStringLiteral("icloud_signed_in"), iCloudSignedIn},
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

bool HostStatusFile::write(const QString &path) const
{
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(*this);
    if (!bytes) {
        return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() && file.commit();
}

} // namespace Quorvel

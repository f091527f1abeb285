#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>
#include <utility>

namespace Quorvel {

// The host's table of connected clients: the nonce each new connection must answer in its hello,
// the clients that have paired, those that proved to be this computer's own deck editor, and the
// device names of the paired ones. A plain value: every change gives a new table, so that its
// owner can tell which part changed.
class HostClientTable {
public:
    const QHash<QUuid, QString> &pendingNonces() const { return m_pendingNonces; }
    const QSet<QUuid> &authenticated() const { return m_authenticated; }
    const QSet<QUuid> &localEditors() const { return m_localEditors; }
    // The device name of each paired client.
    const QHash<QUuid, QString> &names() const { return m_names; }

    bool isAuthenticated(const QUuid &client) const { return m_authenticated.contains(client); }
    bool isLocalEditor(const QUuid &client) const { return m_localEditors.contains(client); }
    // The paired client's device name, `fallback` for any other.
    QString name(const QUuid &client, const QString &fallback) const;

    // A new connection now waits to answer `nonce`.
    HostClientTable challenged(const QUuid &client, const QString &nonce) const;
    // A nonce answers one hello only: the table without it, and the nonce (none when the client
    // has none pending).
    std::pair<HostClientTable, std::optional<QString>> takingNonce(const QUuid &client) const;
    // The client has paired as `name`; as this computer's deck editor when `localEditor`.
    HostClientTable paired(const QUuid &client, const QString &name, bool localEditor) const;
    // Everything about the client goes (its connection has ended).
    HostClientTable without(const QUuid &client) const;

    friend bool operator==(const HostClientTable &, const HostClientTable &) = default;

private:
    QHash<QUuid, QString> m_pendingNonces;
    QSet<QUuid> m_authenticated;
    QSet<QUuid> m_localEditors;
    QHash<QUuid, QString> m_names;
};

} // namespace Quorvel

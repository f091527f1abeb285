#include "QuorvelHostKit/Service/HostClientTable.h"

namespace Quorvel {

QString HostClientTable::name(const QUuid &client, const QString &fallback) const
{
    return m_names.value(client, fallback);
}

HostClientTable HostClientTable::challenged(const QUuid &client, const QString &nonce) const
{
    HostClientTable next = *this;
    next.m_pendingNonces.insert(client, nonce);
    return next;
}

std::pair<HostClientTable, std::optional<QString>>
HostClientTable::takingNonce(const QUuid &client) const
{
    HostClientTable next = *this;
    if (!next.m_pendingNonces.contains(client))
        return {next, std::nullopt};
    const QString nonce = next.m_pendingNonces.take(client);
    return {next, nonce};
}

HostClientTable HostClientTable::paired(const QUuid &client, const QString &name,
                                        bool localEditor) const
{
    HostClientTable next = *this;
    next.m_authenticated.insert(client);
    if (localEditor)
        next.m_localEditors.insert(client);
    next.m_names.insert(client, name);
    return next;
}

HostClientTable HostClientTable::without(const QUuid &client) const
{
    HostClientTable next = *this;
    next.m_pendingNonces.remove(client);
    next.m_authenticated.remove(client);
    next.m_localEditors.remove(client);
    next.m_names.remove(client);
    return next;
}

} // namespace Quorvel

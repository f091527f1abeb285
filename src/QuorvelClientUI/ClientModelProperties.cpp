#include "QuorvelClientUI/ClientModel.h"

#include "QuorvelCore/ObservedField.h"

#include "QuorvelClientUI/ClientSettings.h"

namespace Quorvel {

// Observable setters.

void ClientModel::setHosts(const QList<DiscoveredHost> &hosts)
{
    assignObserved(this, m_hosts, hosts, &ClientModel::hostsChanged);
}

void ClientModel::setFoundHosts(const QList<DiscoveredHost> &hosts)
{
    assignObserved(this, m_foundHosts, hosts, &ClientModel::foundHostsChanged);
}

void ClientModel::setExcludedHostID(const std::optional<QString> &id)
{
    if (!assignObserved(this, m_excludedHostID, id, &ClientModel::excludedHostIDChanged))
        return;
    refilterHosts();
}

void ClientModel::setLocalNetworkBlocked(bool blocked)
{
    assignObserved(this, m_localNetworkBlocked, blocked, &ClientModel::localNetworkBlockedChanged);
}

void ClientModel::setSearchIsTakingLong(bool taking)
{
    assignObserved(this, m_searchIsTakingLong, taking, &ClientModel::searchIsTakingLongChanged);
}

void ClientModel::setOffline(bool offline)
{
    assignObserved(this, m_isOffline, offline, &ClientModel::isOfflineChanged);
}

void ClientModel::setRememberedHostName(const std::optional<QString> &name)
{
    if (m_persistent)
        writeSettingText(lastHostNameKey, name);
    assignObserved(this, m_rememberedHostName, name, &ClientModel::rememberedHostNameChanged);
}

void ClientModel::setStatus(const ConnectionStatus &status)
{
    assignObserved(this, m_status, status, &ClientModel::statusChanged);
}

void ClientModel::setDeck(const std::optional<Deck> &deck)
{
    assignObserved(this, m_deck, deck, &ClientModel::deckChanged);
}

void ClientModel::setStates(const StateTable &states)
{
    assignObserved(this, m_states, states, &ClientModel::statesChanged);
}

void ClientModel::setLastNotice(const std::optional<QString> &notice)
{
    assignObserved(this, m_lastNotice, notice, &ClientModel::lastNoticeChanged);
}

void ClientModel::setPendingControls(const QSet<QString> &controls)
{
    assignObserved(this, m_pendingControls, controls, &ClientModel::pendingControlsChanged);
}

void ClientModel::insertPendingControl(const QString &id)
{
    if (insertObserved(this, m_pendingControls, id, &ClientModel::pendingControlsChanged))
        emit pendingControlChanged(id);
}

void ClientModel::removePendingControl(const QString &id)
{
    if (removeObserved(this, m_pendingControls, id, &ClientModel::pendingControlsChanged))
        emit pendingControlChanged(id);
}

void ClientModel::setTlsSummary(const std::optional<QString> &summary)
{
    assignObserved(this, m_tlsSummary, summary, &ClientModel::tlsSummaryChanged);
}

void ClientModel::setHostInfo(const std::optional<HostInfo> &info)
{
    assignObserved(this, m_hostInfo, info, &ClientModel::hostInfoChanged);
}

void ClientModel::setCatalog(const std::optional<HostCatalog> &catalog)
{
    assignObserved(this, m_catalog, catalog, &ClientModel::catalogChanged);
}

void ClientModel::setEditorKey(const std::optional<PairingToken> &key)
{
    assignObserved(this, m_editorKey, key, &ClientModel::editorKeyChanged);
}

void ClientModel::setRefusedForVersion(bool refused)
{
    assignObserved(this, m_refusedForVersion, refused, &ClientModel::refusedForVersionChanged);
}

void ClientModel::setAutoReconnect(bool on)
{
    assignObserved(this, m_autoReconnect, on, &ClientModel::autoReconnectChanged);
}

void ClientModel::setPreferredHostKey(const std::optional<QString> &key)
{
    if (m_persistent)
        writeSettingText(preferredHostKeySetting, key);
    assignObserved(this, m_preferredHostKey, key, &ClientModel::preferredHostKeyChanged);
}

// Derived values.

std::optional<Deck> ClientModel::visibleDeck() const
{
    if (m_deck)
        return m_deck;
    if (m_persistent)
        return cachedDeck();
    return std::nullopt;
}

bool ClientModel::preferredHostIsMissing() const
{
    if (!m_preferredHostKey || isConnected())
        return false;
    return std::none_of(m_hosts.cbegin(), m_hosts.cend(), [this](const DiscoveredHost &host) {
        return host.stableKey() == *m_preferredHostKey;
    });
}

bool ClientModel::canEditDeck() const
{
    return isConnected() && m_hostInfo && m_hostInfo->deckEditingAllowed;
}

std::optional<ControlState> ClientModel::state(const QString &controlID) const
{
    const auto found = m_states.constFind(controlID);
    if (found == m_states.cend())
        return std::nullopt;
    return *found;
}

} // namespace Quorvel

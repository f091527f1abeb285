#include "QuorvelClientUI/ClientModel.h"

#include "QuorvelClientUI/ClientSettings.h"

namespace Quorvel {

// Observable setters.

void ClientModel::setHosts(const QList<DiscoveredHost> &hosts)
{
    if (m_hosts == hosts)
        return;
    m_hosts = hosts;
    emit hostsChanged();
}

void ClientModel::setFoundHosts(const QList<DiscoveredHost> &hosts)
{
    if (m_foundHosts == hosts)
        return;
    m_foundHosts = hosts;
    emit foundHostsChanged();
}

void ClientModel::setExcludedHostID(const std::optional<QString> &id)
{
    if (m_excludedHostID == id)
        return;
    m_excludedHostID = id;
    emit excludedHostIDChanged();
    refilterHosts();
}

void ClientModel::setLocalNetworkBlocked(bool blocked)
{
    if (m_localNetworkBlocked == blocked)
        return;
    m_localNetworkBlocked = blocked;
    emit localNetworkBlockedChanged();
}

void ClientModel::setSearchIsTakingLong(bool taking)
{
    if (m_searchIsTakingLong == taking)
        return;
    m_searchIsTakingLong = taking;
    emit searchIsTakingLongChanged();
}

void ClientModel::setOffline(bool offline)
{
    if (m_isOffline == offline)
        return;
    m_isOffline = offline;
    emit isOfflineChanged();
}

void ClientModel::setRememberedHostName(const std::optional<QString> &name)
{
    if (m_persistent)
        writeSettingText(lastHostNameKey, name);
    if (m_rememberedHostName == name)
        return;
    m_rememberedHostName = name;
    emit rememberedHostNameChanged();
}

void ClientModel::setStatus(const ConnectionStatus &status)
{
    if (m_status == status)
        return;
    m_status = status;
    emit statusChanged();
}

void ClientModel::setDeck(const std::optional<Deck> &deck)
{
    if (m_deck == deck)
        return;
    m_deck = deck;
    emit deckChanged();
}

void ClientModel::setStates(const StateTable &states)
{
    if (m_states == states)
        return;
    m_states = states;
    emit statesChanged();
}

void ClientModel::setLastNotice(const std::optional<QString> &notice)
{
    if (m_lastNotice == notice)
        return;
    m_lastNotice = notice;
    emit lastNoticeChanged();
}

void ClientModel::setPendingControls(const QSet<QString> &controls)
{
    if (m_pendingControls == controls)
        return;
    m_pendingControls = controls;
    emit pendingControlsChanged();
}

void ClientModel::insertPendingControl(const QString &id)
{
    m_pendingControls.insert(id);
    emit pendingControlChanged(id);
    emit pendingControlsChanged();
}

void ClientModel::removePendingControl(const QString &id)
{
    m_pendingControls.remove(id);
    emit pendingControlChanged(id);
    emit pendingControlsChanged();
}

void ClientModel::setTlsSummary(const std::optional<QString> &summary)
{
    if (m_tlsSummary == summary)
        return;
    m_tlsSummary = summary;
    emit tlsSummaryChanged();
}

void ClientModel::setHostInfo(const std::optional<HostInfo> &info)
{
    if (m_hostInfo == info)
        return;
    m_hostInfo = info;
    emit hostInfoChanged();
}

void ClientModel::setCatalog(const std::optional<HostCatalog> &catalog)
{
    if (m_catalog == catalog)
        return;
    m_catalog = catalog;
    emit catalogChanged();
}

void ClientModel::setEditorKey(const std::optional<PairingToken> &key)
{
    if (m_editorKey == key)
        return;
    m_editorKey = key;
    emit editorKeyChanged();
}

void ClientModel::setRefusedForVersion(bool refused)
{
    if (m_refusedForVersion == refused)
        return;
    m_refusedForVersion = refused;
    emit refusedForVersionChanged();
}

void ClientModel::setAutoReconnect(bool on)
{
    if (m_autoReconnect == on)
        return;
    m_autoReconnect = on;
    emit autoReconnectChanged();
}

void ClientModel::setPreferredHostKey(const std::optional<QString> &key)
{
    if (m_persistent)
        writeSettingText(preferredHostKeySetting, key);
    if (m_preferredHostKey == key)
        return;
    m_preferredHostKey = key;
    emit preferredHostKeyChanged();
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

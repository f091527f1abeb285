#include "QuorvelClientUI/CallerReply.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/HostCodeLookup.h"

#include <memory>

namespace Quorvel {

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString statusDescription(const ClientConnectionStatus &status)
{
    using Kind = ClientConnectionStatus::Kind;
    const QString name = status.host() ? status.host()->name : QString();
    switch (status.kind()) {
    case Kind::connecting:
        return QStringLiteral("connecting to ") + name;
    case Kind::connected:
        return QStringLiteral("connected to ") + name;
    case Kind::needsPairing:
        return QStringLiteral("needs the pairing code for ") + name +
               (status.reason() ? QStringLiteral(": ") + *status.reason() : QString());
    case Kind::failed:
        return QStringLiteral("failed: ") + status.failureText();
    case Kind::idle:
        return QStringLiteral("not connected");
    }
    return {};
}

} // namespace

void ClientModel::diagnosticSummary(QObject *context, std::function<void(QStringList)> onDone)
{
    // The lines as things stand now; the hosts line waits for the Keychain's answers.
    struct Gathering {
        QStringList lines;
        QList<DiscoveredHost> hosts;
        QList<bool> codeSaved;
        qsizetype answered = 0;
    };
    auto gathering = std::make_shared<Gathering>();
    gathering->hosts = m_hosts;
    gathering->codeSaved = QList<bool>(m_hosts.size(), false);
    QStringList &lines = gathering->lines;
    lines << QStringLiteral("Status: ") + statusDescription(m_status);
    constexpr qsizetype hostsLine = 1;
    lines << QString();
    if (m_excludedHostID && m_foundHosts.size() != m_hosts.size())
        lines << QStringLiteral("Also found: this computer's own host (not listed)");
    lines << QStringLiteral("Remembered host: ") +
                 m_rememberedHostName.value_or(QStringLiteral("none"));
    lines << QStringLiteral("Looking for hosts: ") + yesNo(isBrowsing()) +
                 (m_searchIsTakingLong ? QStringLiteral(", nothing found for a while") : QString());
    lines << QStringLiteral("Local network blocked: ") + yesNo(m_localNetworkBlocked) +
                 QStringLiteral("; offline: ") + yesNo(m_isOffline);
    if (m_hostInfo) {
        lines << QStringLiteral("Host: ") + m_hostInfo->hostName + u' ' + m_hostInfo->version +
                     QStringLiteral(", editing from other devices ") +
                     (m_hostInfo->deckEditingAllowed ? QStringLiteral("allowed")
                                                     : QStringLiteral("off"));
    }
    if (m_tlsSummary)
        lines << QStringLiteral("TLS: ") + *m_tlsSummary;
    if (const std::optional<Deck> visible = visibleDeck()) {
        lines << QStringLiteral("Actions: ") + QString::number(visible->controls.size()) +
                     (visible == m_deck ? QString() : QStringLiteral(" (remembered)"));
    }

    const auto finish = [gathering, answer = CallerReply(context, std::move(onDone))] {
        QStringList found;
        for (qsizetype i = 0; i < gathering->hosts.size(); ++i) {
            const DiscoveredHost &host = gathering->hosts.at(i);
            const QString version =
                host.protocolVersion ? QString::number(*host.protocolVersion) : QStringLiteral("?");
            found << host.name + QStringLiteral(" (v") + version +
                         QStringLiteral(", code saved: ") + yesNo(gathering->codeSaved.at(i)) +
                         QStringLiteral(")");
        }
        gathering->lines[hostsLine] =
            QStringLiteral("Hosts found: ") +
            (found.isEmpty() ? QStringLiteral("none") : found.join(QStringLiteral(", ")));
        answer(gathering->lines);
    };
    if (gathering->hosts.isEmpty()) {
        finish();
        return;
    }
    // The reads answer the caller even when this model is gone meanwhile.
    for (qsizetype i = 0; i < gathering->hosts.size(); ++i) {
        lookUpHostCode(m_tokens, gathering->hosts.at(i), context,
                       [gathering, i, finish](std::optional<PairingToken> code) {
                           gathering->codeSaved[i] = code.has_value();
                           if (++gathering->answered == gathering->hosts.size())
                               finish();
                       });
    }
}
} // namespace Quorvel

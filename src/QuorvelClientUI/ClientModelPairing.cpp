#include "QuorvelClientUI/ClientModel.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelClientUI/ClientUILogging.h"
#include "QuorvelClientUI/HostCodeLookup.h"

namespace Quorvel {

void ClientModel::storedCode(const DiscoveredHost &host,
                             std::function<void(std::optional<PairingToken>)> onDone)
{
    lookUpHostCode(m_tokens, host, this, std::move(onDone));
}

void ClientModel::retryWithNewerCode(const DiscoveredHost &host, const PairingToken &usedCode)
{
    const quint64 epoch = m_linkEpoch;
    storedCode(host, [this, epoch, host, usedCode](std::optional<PairingToken> current) {
        if (epoch != m_linkEpoch)
            return;
        if (current && *current != usedCode) {
            qCInfo(lcClientModel,
                   "Host rejected old code; retrying with the newer one from the keyring");
            connectTo(host);
            return;
        }
        // Codes never synchronise between computers here: only the user can bring the new one.
        requirePairing(host,
                       host.name +
                           QStringLiteral(" has a different pairing code. Enter the current one."),
                       usedCode);
    });
}

void ClientModel::requirePairing(const DiscoveredHost &host, const std::optional<QString> &reason,
                                 const std::optional<PairingToken> &rejectedCode)
{
    setAutoReconnect(false);
    dropConnection();
    setDeck(std::nullopt);
    setStates({});
    setTlsSummary(std::nullopt);
    setStatus(ConnectionStatus::needsPairing(host, reason));
    startPairingWatch(host, rejectedCode);
}

bool ClientModel::submitPairingCode(const QString &text, const DiscoveredHost &host)
{
    const std::optional<PairingToken> code = PairingToken::parse(text);
    if (!code) {
        setStatus(ConnectionStatus::needsPairing(
            host, QStringLiteral("That doesn't look like a pairing code.")));
        return false;
    }
    // The save answers later; a link chosen or dropped meanwhile (another host picked, a
    // disconnect) is the user's newer wish, which the typed code must not override.
    // A keyring without a default collection asks the user for a password before it saves; the
    // save waits for that answer, however long the user takes. The question may show at once (a
    // keyring started for it), so the wait is told from the start: the typed code has left the
    // field, and nothing else would say where it went.
    const quint64 epoch = m_linkEpoch;
    setStatus(ConnectionStatus::needsPairing(host, keyringWaitText));
    m_tokens.save(
        *code, host.stableKey(), this,
        [this, epoch, host](bool saved) {
            if (epoch != m_linkEpoch)
                return;
            if (!saved) {
                setStatus(ConnectionStatus::needsPairing(host, keyringRefusedText));
                return;
            }
            connectTo(host);
        },
        [this, epoch, host] {
            if (epoch == m_linkEpoch)
                setStatus(ConnectionStatus::needsPairing(host, keyringWaitText));
        });
    return true;
}

void ClientModel::codeNotSaved(const DiscoveredHost &host)
{
    requirePairing(host, keyringRefusedText, std::nullopt);
}

void ClientModel::forgetPairingCode(const DiscoveredHost &host)
{
    m_tokens.remove(host.stableKey(), this, [this, host] {
        m_tokens.remove(host.name, this, [this, host] {
            if (isConnected() && m_status.host() == host)
                disconnectFromHost();
        });
    });
}

// The pairing watch.

void ClientModel::startPairingWatch(const DiscoveredHost &host,
                                    const std::optional<PairingToken> &rejectedCode)
{
    m_pairingWatchHost = host;
    m_pairingWatchRejected = rejectedCode;
    m_pairingWatchReading = false;
    m_pairingWatch.start();
    emit pairingWatchChanged();
}

void ClientModel::stopPairingWatch()
{
    if (!m_pairingWatch.isActive())
        return;
    m_pairingWatch.stop();
    emit pairingWatchChanged();
}

void ClientModel::checkPairingWatch()
{
    const DiscoveredHost host = m_pairingWatchHost;
    const bool stillWaiting =
        m_status.kind() == ConnectionStatus::Kind::needsPairing && m_status.host() == host;
    if (!stillWaiting) {
        stopPairingWatch();
        return;
    }
    if (m_pairingWatchReading)
        return;
    m_pairingWatchReading = true;
    storedCode(host, [this, host](std::optional<PairingToken> code) {
        m_pairingWatchReading = false;
        const bool stillWatching = m_pairingWatch.isActive() && m_pairingWatchHost == host &&
                                   m_status.kind() == ConnectionStatus::Kind::needsPairing &&
                                   m_status.host() == host;
        if (!stillWatching || !code || code == m_pairingWatchRejected)
            return;
        qCInfo(lcClientModel, "A pairing code for %s appeared in the Keychain; connecting",
               qUtf8Printable(OutsideText::forLog(host.name)));
        connectTo(host);
    });
}

} // namespace Quorvel

#pragma once

#include "QuorvelClientUI/ClientConnectionStatus.h"
#include "QuorvelClientUI/ClientTestOutcome.h"
#include "QuorvelClientUI/ClientTimings.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Keychain/KeychainTokenStore.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

namespace Quorvel {

class HostBrowser;
class ServiceDiscovery;
class NetworkPathMonitor;

// The remote role's model: finds hosts, chooses one, opens the link with the host's pairing code,
// asks for the code when the host does not know this device, holds what the host sent (facts,
// deck, live states, catalog), runs actions and waits for the host's replies.
//
// Lives on the main thread. Every observable field is a property whose signal fires only when an
// assignment changes the value; the browser and the connection always notify, and so does every
// single change inside states and pendingControls. Every asynchronous operation calls its handler
// exactly once on the event loop (reply, time-out or the end of the link), unless the handler's
// context object is gone by then.
class ClientModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<Quorvel::DiscoveredHost> hosts READ hosts NOTIFY hostsChanged)
    Q_PROPERTY(QList<Quorvel::DiscoveredHost> foundHosts READ foundHosts NOTIFY foundHostsChanged)
    Q_PROPERTY(std::optional<QString> excludedHostID READ excludedHostID WRITE setExcludedHostID
                   NOTIFY excludedHostIDChanged)
    Q_PROPERTY(bool localNetworkBlocked READ localNetworkBlocked NOTIFY localNetworkBlockedChanged)
    Q_PROPERTY(bool searchIsTakingLong READ searchIsTakingLong NOTIFY searchIsTakingLongChanged)
    Q_PROPERTY(bool isOffline READ isOffline NOTIFY isOfflineChanged)
    Q_PROPERTY(std::optional<QString> rememberedHostName READ rememberedHostName NOTIFY
                   rememberedHostNameChanged)
    Q_PROPERTY(Quorvel::ClientConnectionStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(std::optional<Quorvel::Deck> deck READ deck NOTIFY deckChanged)
    Q_PROPERTY(StateTable states READ states NOTIFY statesChanged)
    Q_PROPERTY(std::optional<QString> lastNotice READ lastNotice WRITE setLastNotice NOTIFY
                   lastNoticeChanged)
    Q_PROPERTY(QSet<QString> pendingControls READ pendingControls NOTIFY pendingControlsChanged)
    Q_PROPERTY(std::optional<QString> tlsSummary READ tlsSummary NOTIFY tlsSummaryChanged)
    Q_PROPERTY(std::optional<Quorvel::HostInfo> hostInfo READ hostInfo NOTIFY hostInfoChanged)
    Q_PROPERTY(std::optional<Quorvel::HostCatalog> catalog READ catalog NOTIFY catalogChanged)
    Q_PROPERTY(QStringList pendingRequestIDs READ pendingRequestIDs NOTIFY pendingRepliesChanged)
    Q_PROPERTY(std::optional<Quorvel::PairingToken> editorKey READ editorKey WRITE setEditorKey
                   NOTIFY editorKeyChanged)
    Q_PROPERTY(bool refusedForVersion READ refusedForVersion NOTIFY refusedForVersionChanged)
    Q_PROPERTY(bool isBrowsing READ isBrowsing NOTIFY browsingChanged)
    Q_PROPERTY(bool hasConnection READ hasConnection NOTIFY connectionChanged)
    Q_PROPERTY(bool autoReconnect READ autoReconnect NOTIFY autoReconnectChanged)
    Q_PROPERTY(std::optional<QString> preferredHostKey READ preferredHostKey NOTIFY
                   preferredHostKeyChanged)
    Q_PROPERTY(
        bool isWatchingForPairingCode READ isWatchingForPairingCode NOTIFY pairingWatchChanged)

public:
    using ConnectionStatus = ClientConnectionStatus;
    using TestOutcome = ClientTestOutcome;
    using StateTable = QHash<QString, ControlState>;

    // The outcome of a run that someone waits on.
    struct RunOutcome {
        bool ok = false;
        QString message;
        friend bool operator==(const RunOutcome &a, const RunOutcome &b) = default;
    };

    // Settings keys.
    static inline const QString lastHostNameKey = QStringLiteral("Quorvel.lastHostName");
    static inline const QString preferredHostKeySetting = QStringLiteral("Quorvel.preferredHost");
    static inline const QString lastDeckKey = QStringLiteral("Quorvel.lastDeck");

    // What a request ends with when the host did not answer in time or the link dropped first;
    // the host may still have acted on it.
    static inline const QString noAnswerFromTheHost = QStringLiteral("No answer from the host.");
    // The pairing reason while an entered code waits for the keyring, which may be asking the
    // user something first (a password for a new keyring, an unlock).
    static inline const QString keyringWaitText =
        QStringLiteral("Quorvel is waiting for the keyring to save the code. It may be asking "
                       "you a question in a window of its own.");
    // The pairing reason once the keyring did not take the code (its question dismissed).
    static inline const QString keyringRefusedText =
        QStringLiteral("Couldn't save the code to the keyring.");

    // A persistent model remembers its host across launches and keeps the cached deck; the local
    // deck editor's private model is not persistent.
    // Finds and resolves hosts through this machine's mDNS service.
    ClientModel(QString clientName, KeychainTokenStore tokens, bool persistent,
                ClientTimings timings = {}, QObject *parent = nullptr);
    // Finds and resolves hosts through `discovery`, which outlives the model.
    ClientModel(ServiceDiscovery &discovery, QString clientName, KeychainTokenStore tokens,
                bool persistent, ClientTimings timings = {}, QObject *parent = nullptr);
    // Answers every request still waiting, with no reply.
    ~ClientModel() override;

    // The last deck a persistent model received, or none when nothing (decodable) is stored.
    static std::optional<Deck> cachedDeck();
    // Replaces the cached deck; a deck that cannot be encoded leaves the old one.
    static void saveCachedDeck(const Deck &deck);

    const QString &clientName() const { return m_clientName; }
    const KeychainTokenStore &tokens() const { return m_tokens; }
    bool persistent() const { return m_persistent; }
    const ClientTimings &timings() const { return m_timings; }

    const QList<DiscoveredHost> &hosts() const { return m_hosts; }
    const QList<DiscoveredHost> &foundHosts() const { return m_foundHosts; }
    const std::optional<QString> &excludedHostID() const { return m_excludedHostID; }
    // The id of the host on this machine, which is left out of hosts.
    void setExcludedHostID(const std::optional<QString> &id);
    bool localNetworkBlocked() const { return m_localNetworkBlocked; }
    bool searchIsTakingLong() const { return m_searchIsTakingLong; }
    bool isOffline() const { return m_isOffline; }
    const std::optional<QString> &rememberedHostName() const { return m_rememberedHostName; }
    const ConnectionStatus &status() const { return m_status; }
    const std::optional<Deck> &deck() const { return m_deck; }
    const StateTable &states() const { return m_states; }
    const std::optional<QString> &lastNotice() const { return m_lastNotice; }
    void setLastNotice(const std::optional<QString> &notice);
    const QSet<QString> &pendingControls() const { return m_pendingControls; }
    const std::optional<QString> &tlsSummary() const { return m_tlsSummary; }
    const std::optional<HostInfo> &hostInfo() const { return m_hostInfo; }
    const std::optional<HostCatalog> &catalog() const { return m_catalog; }
    QStringList pendingRequestIDs() const;
    const std::optional<PairingToken> &editorKey() const { return m_editorKey; }
    // A key whose proof the host accepts from its own local deck editor.
    void setEditorKey(const std::optional<PairingToken> &key);
    bool refusedForVersion() const { return m_refusedForVersion; }
    bool isBrowsing() const { return m_browser != nullptr; }
    bool hasConnection() const { return m_connection != nullptr; }
    bool autoReconnect() const { return m_autoReconnect; }
    const std::optional<QString> &preferredHostKey() const { return m_preferredHostKey; }
    bool isWatchingForPairingCode() const { return m_pairingWatch.isActive(); }
    // The current link has delivered its first state update, so switches read their real
    // position; the host sends one right after the deck.
    // The remembered host is not on the network now: the status line says it is waited for.
    bool isWaitingForRememberedHost() const { return preferredHostIsMissing(); }
    bool statesArrived() const { return m_statesArrived; }

    // The live deck, else (persistent only) the cached one.
    std::optional<Deck> visibleDeck() const;
    bool isConnected() const { return m_status.kind() == ConnectionStatus::Kind::connected; }
    // A preferred host is remembered, not connected, and not listed.
    bool preferredHostIsMissing() const;
    // Connected to a host that lets this device edit its deck.
    bool canEditDeck() const;
    std::optional<ControlState> state(const QString &controlID) const;
    std::optional<ControlState> state(const Control &control) const { return state(control.id); }

    // Begins watching the network path and browsing; does nothing while browsing.
    void start();
    // Ends browsing and path watching; the connection is left alone.
    void stop();
    // The browser's complete current list, sorted by name: refreshes hosts and may connect.
    void receiveHosts(const QList<DiscoveredHost> &hosts);

    // Drops any link, remembers the host as the preferred one and connects with its stored code,
    // or asks for the code when none is stored.
    void connectTo(const DiscoveredHost &host);
    // Drops the link and everything learnt from the host; automatic reconnecting stops.
    void disconnectFromHost();
    // QObject::disconnect() with no arguments would cut every signal connection of this object
    // instead of ending the link; calling it by mistake is a compile error.
    void disconnect() = delete;

    // Checks the typed code: false when it is no pairing code (the status then says so).
    // Otherwise saves it for the host and connects; a failed save shows in the status instead,
    // and so does a keyring that is slow to answer (the save then goes on waiting).
    bool submitPairingCode(const QString &text, const DiscoveredHost &host);
    // A code for the host could not be saved (the keyring's question dismissed): drops any link
    // and asks for pairing, saying why.
    void codeNotSaved(const DiscoveredHost &host);
    // Deletes the host's stored code; drops the link when connected to that host.
    void forgetPairingCode(const DiscoveredHost &host);
    // The host's code: under its key, or (moving it to the id) under its name. The handler is
    // not called once the model is gone.
    void storedCode(const DiscoveredHost &host,
                    std::function<void(std::optional<PairingToken>)> onDone);

    // Runs a button's action without waiting for the result.
    void press(const QString &controlID);
    void press(const Control &control) { press(control.id); }
    // Turns a switch's action on or off without waiting for the result.
    void setSwitch(const QString &controlID, bool on);
    void toggle(const Control &control, bool on) { setSwitch(control.id, on); }
    // Asks the host for the current states.
    void requestState();
    // Asks the host for its catalog.
    void requestCatalog();
    // Hands a message to the link; without a link the notice says "Not connected". Returns
    // whether the message went out.
    bool send(const Message &message);

    // A run that someone waits on.
    void runControl(const QString &controlID, std::optional<bool> desiredState, QObject *context,
                    std::function<void(RunOutcome)> onDone);
    void runControl(const Control &control, std::optional<bool> desiredState, QObject *context,
                    std::function<void(RunOutcome)> onDone)
    {
        runControl(control.id, desiredState, context, std::move(onDone));
    }
    // Tries an action on the host.
    void test(const Action &action, QObject *context, std::function<void(TestOutcome)> onDone);
    // Tries a status check on the host.
    void check(const StatusCheck &statusCheck, QObject *context,
               std::function<void(TestOutcome)> onDone);
    // Sends a whole deck; the handler gets the host's problems, empty when it took the deck. A
    // deck too large for one message is not sent: the handler hears so at once.
    void updateDeck(const Deck &deck, QObject *context, std::function<void(QStringList)> onDone);
    // Starts browsing when needed and answers whether the model is connected with a deck, as
    // soon as it is, or when the time is up.
    void waitUntilConnected(std::chrono::milliseconds timeout, QObject *context,
                            std::function<void(bool)> onDone);
    // As waitUntilConnected, and the link has also delivered its first state update, so that a
    // flip turns a switch from its real position.
    void waitUntilReady(std::chrono::milliseconds timeout, QObject *context,
                        std::function<void(bool)> onDone);
    // The lines of the diagnostic report, as things stand when it is asked for; answered once the
    // Keychain has said for which listed hosts a code is saved.
    void diagnosticSummary(QObject *context, std::function<void(QStringList)> onDone);

signals:
    void hostsChanged();
    void foundHostsChanged();
    void excludedHostIDChanged();
    void localNetworkBlockedChanged();
    void searchIsTakingLongChanged();
    void isOfflineChanged();
    void rememberedHostNameChanged();
    void statusChanged();
    void deckChanged();
    void statesChanged();
    // The first state_update of the current link has been handled (or the link ended).
    void statesArrivedChanged();
    // Before statesChanged, when one control's state was replaced: views redraw that row alone.
    void stateChanged(const QString &controlID);
    void lastNoticeChanged();
    void pendingControlsChanged();
    // Before pendingControlsChanged, when one control joined or left the set.
    void pendingControlChanged(const QString &controlID);
    void tlsSummaryChanged();
    void hostInfoChanged();
    void catalogChanged();
    void pendingRepliesChanged();
    void editorKeyChanged();
    void refusedForVersionChanged();
    void browsingChanged();
    void connectionChanged();
    void autoReconnectChanged();
    void preferredHostKeyChanged();
    void pairingWatchChanged();

private:
    using ReplyHandler = std::function<void(std::optional<Message>)>;

    // One request that waits for its reply.
    struct PendingReply {
        ReplyHandler handler;
        // The control of a run, so that the host's refusal of an unknown id can end it.
        std::optional<QString> runControlID;
    };

    // Setters that notify only on a real change.
    void setHosts(const QList<DiscoveredHost> &hosts);
    void setFoundHosts(const QList<DiscoveredHost> &hosts);
    void setLocalNetworkBlocked(bool blocked);
    void setSearchIsTakingLong(bool taking);
    void setOffline(bool offline);
    void setRememberedHostName(const std::optional<QString> &name);
    void setStatus(const ConnectionStatus &status);
    void setDeck(const std::optional<Deck> &deck);
    void setStates(const StateTable &states);
    void setPendingControls(const QSet<QString> &controls);
    void insertPendingControl(const QString &id);
    void removePendingControl(const QString &id);
    void setTlsSummary(const std::optional<QString> &summary);
    void setHostInfo(const std::optional<HostInfo> &info);
    void setCatalog(const std::optional<HostCatalog> &catalog);
    void setRefusedForVersion(bool refused);
    void setAutoReconnect(bool on);
    void setPreferredHostKey(const std::optional<QString> &key);

    // Discovery and the automatic choice of a host.
    void refilterHosts();
    void applyAutomaticConnection();
    void checkSearchTakingLong();
    bool isListed(const DiscoveredHost &host) const;

    // The link.
    void openConnection(const DiscoveredHost &host, const PairingToken &code);
    void dropConnection();
    void handleEvent(const HostConnection::Event &event, const DiscoveredHost &host,
                     const PairingToken &code);
    void handleStatus(const HostConnection::Status &status, const DiscoveredHost &host,
                      const PairingToken &code);
    void handleDisconnected(const std::optional<QString> &reason, const DiscoveredHost &host);
    void reconnectAfterDelay();
    void requirePairing(const DiscoveredHost &host, const std::optional<QString> &reason,
                        const std::optional<PairingToken> &rejectedCode);
    void retryWithNewerCode(const DiscoveredHost &host, const PairingToken &usedCode);
    void sendTrigger(const QString &controlID, std::optional<bool> desiredState);

    // Messages from the host.
    void handleMessage(const Message &message, const DiscoveredHost &host,
                       const PairingToken &code);
    void answerChallenge(const QString &nonce, const PairingToken &code);
    void mergeStates(const std::vector<ControlState> &states);
    void handleActionResult(const Message &message);
    void handleDeckUpdateResult(const Message &message);
    void handleError(const Message::Error &error, const DiscoveredHost &host,
                     const PairingToken &code);

    // Requests and replies.
    void request(const std::function<Message(const QString &requestID)> &build,
                 std::chrono::milliseconds timeout, ReplyHandler onReply,
                 const std::optional<QString> &runControlID = std::nullopt);
    void resumeReply(const QString &requestID, const std::optional<Message> &reply);
    void failPendingReplies();
    // Ends every run of that control with the refusal; whether any was waiting.
    bool endRunsOfUnknownControl(const QString &controlID, const Message &refusal);
    QString hostNameForNotices() const;
    void startPairingWatch(const DiscoveredHost &host,
                           const std::optional<PairingToken> &rejectedCode);
    void stopPairingWatch();
    void checkPairingWatch();

    const QString m_clientName;
    const KeychainTokenStore m_tokens;
    const bool m_persistent;
    const ClientTimings m_timings;

    QList<DiscoveredHost> m_hosts;
    QList<DiscoveredHost> m_foundHosts;
    std::optional<QString> m_excludedHostID;
    bool m_localNetworkBlocked = false;
    bool m_searchIsTakingLong = false;
    bool m_isOffline = false;
    std::optional<QString> m_rememberedHostName;
    ConnectionStatus m_status = ConnectionStatus::idle();
    std::optional<Deck> m_deck;
    StateTable m_states;
    std::optional<QString> m_lastNotice;
    QSet<QString> m_pendingControls;
    std::optional<QString> m_tlsSummary;
    std::optional<HostInfo> m_hostInfo;
    std::optional<HostCatalog> m_catalog;
    // Ordered by request id; a plain map keeps iteration stable while handlers run.
    std::map<QString, PendingReply> m_pendingReplies;
    std::optional<PairingToken> m_editorKey;
    bool m_refusedForVersion = false;
    bool m_statesArrived = false;
    bool m_autoReconnect = true;
    std::optional<QString> m_preferredHostKey;

    ServiceDiscovery &m_discovery;
    HostBrowser *m_browser = nullptr;
    NetworkPathMonitor *m_pathMonitor = nullptr;
    QTimer m_searchTimer;
    QPointer<HostConnection> m_connection;
    // Bumped whenever the link is dropped or replaced: work begun for an older link (its events,
    // a Keychain read for it, its reconnect) finds a different number and does nothing.
    quint64 m_linkEpoch = 0;
    QTimer m_reconnectTimer;
    QTimer m_pairingWatch;
    DiscoveredHost m_pairingWatchHost;
    std::optional<PairingToken> m_pairingWatchRejected;
    // One Keychain read of the pairing watch at a time.
    bool m_pairingWatchReading = false;
};

} // namespace Quorvel

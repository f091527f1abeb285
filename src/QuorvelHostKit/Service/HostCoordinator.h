#pragma once

#include "Platform/Discovery/ServiceDiscovery.h"
#include "Platform/Files/PendingWrite.h"
#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"
#include "QuorvelCore/Link/HostServer.h"
#include "QuorvelCore/Link/ListenerState.h"
#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "QuorvelHostKit/Execution/ExecutorTools.h"
#include "QuorvelHostKit/Service/DeckWatcher.h"
#include "QuorvelHostKit/Service/HostActivity.h"
#include "QuorvelHostKit/Service/HostClientTable.h"
#include "QuorvelHostKit/Service/RequestsInFlight.h"
#include "QuorvelHostKit/Service/SleepPreventer.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

namespace Quorvel {

class AppControls;
class StateMonitor;
class SystemExecutor;

// The host role's single owner object: the listener, the executor, the state monitor, the
// app-control bridge, the deck file watcher, the local-network monitor, the pairing code and the
// keep-awake lock. It keeps the deck in force, the connected devices, the last known action
// states and the activity log, and writes the host status file.
//
// Made by the application when hosting is turned on, started once, stopped and dropped when
// hosting is turned off. Lives on the main thread; every callback of the parts it owns reaches it
// on the next turn of the event loop and does nothing once the coordinator is gone. Observed
// fields notify only when their value changes.
class HostCoordinator : public QObject {
    Q_OBJECT
    Q_PROPERTY(Quorvel::Deck deck READ deck NOTIFY deckChanged)
    Q_PROPERTY(QString listenerStatus READ listenerStatus NOTIFY listenerStatusChanged)
    Q_PROPERTY(QString lastLog READ lastLog NOTIFY lastLogChanged)
    Q_PROPERTY(bool pairingCodeSaved READ pairingCodeSaved NOTIFY pairingCodeSavedChanged)
    Q_PROPERTY(bool allowDeckEditing READ allowDeckEditing WRITE setAllowDeckEditing NOTIFY
                   allowDeckEditingChanged)
    Q_PROPERTY(bool keepsAwake READ keepsAwake WRITE setKeepsAwake NOTIFY keepsAwakeChanged)
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(bool awakeLockHeld READ awakeLockHeld NOTIFY awakeLockHeldChanged)

public:
    // The user-settings keys, as scripts and the settings window know them.
    static constexpr char allowDeckEditingKey[] = "allowRemoteDeckEditing";
    static constexpr char keepsAwakeKey[] = "keepAwake";
    // The activity log keeps the newest entries only.
    static constexpr int maxActivityEntries = 200;
    // Seconds between checks of a status check that sets no interval of its own.
    static constexpr double defaultPollInterval = 5.0;
    // Runs at once on devices' requests, tests included: more would let devices pile up work
    // on this computer faster than it finishes.
    static constexpr int maxRunningActions = 8;
    // A switched program may take a moment to show its new state: after a switch was turned,
    // its state is checked up to this many times, this many seconds apart, until it shows it.
    static constexpr int defaultRecheckAttempts = 10;
    static constexpr double defaultRecheckDelay = 0.5;

    struct Options {
        DeckWatcher::Timings deckWatcher;
        LocalNetworkMonitor::Timings localNetwork;
        int recheckAttempts = defaultRecheckAttempts;
        // Seconds.
        double recheckDelay = defaultRecheckDelay;
        // Where the host advertises itself and looks for its own advertisement; outlives the
        // coordinator.
        ServiceDiscovery *discovery = &systemServiceDiscovery();
        // Makes the ways to keep the computer awake; unset means this system's.
        std::function<std::vector<std::unique_ptr<IdleInhibitor>>()> idleInhibitors;
        // When the pairing code, host id and status files are tried again after a failed write.
        PendingWrite::Timings fileRetry;
        // The programs actions and checks run through; unset means this system's.
        std::optional<ExecutorTools> executorTools;
    };

    explicit HostCoordinator(QObject *parent = nullptr);
    explicit HostCoordinator(Options options, QObject *parent = nullptr);
    ~HostCoordinator() override;

    // Starts the keep-awake lock, the publication of the code, the local-network monitor and the
    // listener; when the listener starts, also the app-control consumer, the state monitor's
    // polling and the deck watcher. Called once, right after creation.
    void start();
    // Ends what start() began. Deletes no file; keeps the devices, states and activity.
    void stop();
    // A new pairing code: every device is forgotten and must pair again. Answers whether the code
    // was saved; one that was not is tried again until it is, and lasts only this run until then.
    bool rotatePairingCode();
    // Re-reads the remote-editing setting, so a value written from outside takes effect.
    void reloadDeckEditingSetting();

    // Every assignment stores the setting, logs, tells every paired device its new rights and
    // writes the status file, also when the value is unchanged.
    void setAllowDeckEditing(bool allowed);
    // Every assignment stores the setting and, while running, switches the keep-awake lock.
    void setKeepsAwake(bool keepAwake);

    const Deck &deck() const { return m_deck; }
    const QString &listenerStatus() const { return m_listenerStatus; }
    const QHash<QUuid, QString> &connectedClients() const { return m_clients.names(); }
    const QHash<QString, ControlState> &latestStates() const { return m_latestStates; }
    const QString &lastLog() const { return m_lastLog; }
    // Newest first.
    const QList<HostActivity> &activity() const { return m_activity; }
    const PairingToken &pairingToken() const { return m_pairingToken; }
    // False while the code in use is not saved yet: a start now would make yet another code.
    bool pairingCodeSaved() const { return m_pairingCodeSaved; }
    LocalNetworkMonitor::Status localNetwork() const { return m_localNetwork; }
    const std::optional<QString> &deckProblem() const { return m_deckProblem; }
    DeckWatcher *deckWatcher() const { return m_deckWatcher.get(); }
    bool allowDeckEditing() const { return m_allowDeckEditing; }
    bool keepsAwake() const { return m_keepsAwake; }
    bool running() const { return m_running; }
    // Whether a keep-awake lock is really held now (the wish alone is keepsAwake).
    bool awakeLockHeld() const { return m_sleepPreventer.isActive(); }
    // Why no keep-awake lock is held although the running host wishes one; empty otherwise.
    QString awakeLockProblem() const;
    LocalNetworkMonitor *localNetworkMonitor() const { return m_localNetworkMonitor.get(); }
    const QString &hostID() const { return m_hostID; }
    const QString &hostName() const { return m_hostName; }
    // The table of connected clients, and its parts as the views observe them.
    const HostClientTable &clients() const { return m_clients; }
    const QHash<QUuid, QString> &pendingNonces() const { return m_clients.pendingNonces(); }
    const QSet<QUuid> &authenticatedClients() const { return m_clients.authenticated(); }
    const QSet<QUuid> &localEditors() const { return m_clients.localEditors(); }
    const QSet<QString> &runningControls() const { return m_runningControls; }
    // The client's requests whose handling has not ended yet, re-checks included.
    int requestsInFlight(const QUuid &client) const { return m_requestsInFlight.count(client); }
    // Never stored or shown: this computer's own deck editor proves it in its hello.
    const PairingToken &editorKey() const { return m_editorKey; }

    HostServer &server() { return *m_server; }

    // The listener's port, none without one.
    std::optional<quint16> port() const;
    // The names of the connected devices, sorted.
    QStringList connectedClientNames() const;
    QUrl deckURL() const;
    // The host section of the diagnostic report, one text per line.
    QStringList diagnosticsText() const;

    // For the request handlers.

    // Puts the entry first; the oldest beyond maxActivityEntries go.
    void addActivity(const HostActivity &entry);
    // What this client is told about the host, its editing rights included.
    HostInfo hostInfo(const QUuid &client) const;
    // Puts the deck in force and sends it, with the states, to every paired device.
    void applyDeck(const Deck &deck);
    // Saves a device's deck to the deck file (with a history copy) and tells the deck watcher the
    // bytes in the same step, so the host's own write is never taken for an outside edit. Returns
    // the bytes written, or none with the reason in error; the deck in force is not changed.
    std::optional<QByteArray> saveDeck(const Deck &deck, const QString &device,
                                       QString *error = nullptr);
    static QString statusFilePath();
    // True when the file now tells the host's state.
    bool writeStatusFile();
    // The editing gate: whether the client may try actions, change the deck and see the
    // catalog. A refusal is sent to the client as an error; its connection stays open.
    bool checkEditingAllowed(const QUuid &client);

    // The dispatcher: hands one message of one client to its handler, as the server's message
    // callback does. The task ends when the handling has, a run's re-check included; nobody
    // needs to wait for it.
    QCoro::Task<> handle(Message message, QUuid client);

signals:
    void deckChanged();
    void listenerStatusChanged();
    void connectedClientsChanged();
    void latestStatesChanged();
    void lastLogChanged();
    void activityChanged();
    void pairingTokenChanged();
    void pairingCodeSavedChanged();
    void localNetworkChanged();
    void deckProblemChanged();
    void deckWatcherChanged();
    void allowDeckEditingChanged();
    void keepsAwakeChanged();
    void runningChanged();
    void awakeLockHeldChanged();
    // The reason no keep-awake lock is held may have changed.
    void awakeLockProblemChanged();
    void localNetworkMonitorChanged();
    void pendingNoncesChanged();
    void authenticatedClientsChanged();
    void localEditorsChanged();
    void runningControlsChanged();
    // An application on this computer began or stopped offering its controls, or offers other
    // ones: what a catalog lists of them changed.
    void appControlOffersChanged();

private:
    // How the keep-awake lock stands, for the diagnostic report; empty while it says nothing more.
    QString awakeLockDetail() const;
    void installServerCallbacks();
    // Runs work on the next turn of the event loop, only while the coordinator still exists.
    template<typename Work> void later(Work work);

    void handleListenerState(const ListenerState &state);
    void handleLocalNetworkStatus(LocalNetworkMonitor::Status status);
    void handleLocalNetworkRecheck(qint64 attempt);
    void handleStateChanges(const QList<ControlState> &states);
    void handleDeckFileChanged(const QByteArray &bytes);
    void handleClientConnected(const HostServer::Client &client);
    void handleClientDisconnected(const QUuid &client);
    void startDeckWatcher();

    void handleHello(const QUuid &client, const Message::Hello &hello);
    void refuseHello(const QUuid &client, const HostActivity &entry, const Message::Error &error);
    void sendStates(const QUuid &client);
    QCoro::Task<> sendCatalog(QUuid client);
    QCoro::Task<> triggerAction(QString requestID, QString controlID,
                                std::optional<bool> desiredState, QUuid client);
    QCoro::Task<> testAction(QString requestID, std::optional<Action> action,
                             std::optional<StatusCheck> statusCheck, QUuid client);
    QCoro::Task<> runTest(QString requestID, Action action, QUuid client);
    void updateDeck(const QString &requestID, const Deck &deck, const QUuid &client);
    // The client's device name for logs and activity, "a paired device" once it has gone.
    QString deviceName(const QUuid &client) const;
    // Editing rights without a refusal sent.
    bool mayEdit(const QUuid &client) const;
    bool atRunLimit() const;

    void setDeck(const Deck &deck);
    void setListenerStatus(const QString &status);
    void setLatestStates(const QHash<QString, ControlState> &states);
    void setLastLog(const QString &log);
    void setPairingToken(const PairingToken &token);
    void setLocalNetwork(LocalNetworkMonitor::Status status);
    void setDeckProblem(const std::optional<QString> &problem);
    void setRunning(bool running);
    // Takes the new table and notifies each part that changed.
    void setClients(const HostClientTable &clients);

    Options m_options;
    // Before the code and the id: each write that failed waits in these until it succeeds, so
    // what is on disk catches up with the code, id and state this run uses.
    PendingWrite m_tokenFile;
    PendingWrite m_hostIDFile;
    PendingWrite m_statusFile;
    // Before the deck: loading the deck may report a problem with the file.
    std::optional<QString> m_deckProblem;
    Deck m_deck;
    QString m_listenerStatus;
    QHash<QString, ControlState> m_latestStates;
    QString m_lastLog;
    QList<HostActivity> m_activity;
    PairingToken m_pairingToken;
    bool m_pairingCodeSaved = true;
    // Why the status file could not be written the last time, empty after a good write.
    QString m_statusFileError;
    LocalNetworkMonitor::Status m_localNetwork = LocalNetworkMonitor::Status::checking;
    std::unique_ptr<DeckWatcher> m_deckWatcher;
    bool m_allowDeckEditing = false;
    bool m_keepsAwake = false;
    SleepPreventer m_sleepPreventer;
    bool m_running = false;
    std::unique_ptr<LocalNetworkMonitor> m_localNetworkMonitor;
    QString m_hostID;
    QString m_hostName;
    HostClientTable m_clients;
    QSet<QString> m_runningControls;
    // Tested actions being run now; they count against the same limit as the controls.
    int m_runningTests = 0;
    PairingToken m_editorKey;
    RequestsInFlight m_requestsInFlight;
    std::unique_ptr<HostServer> m_server;
    std::unique_ptr<AppControls> m_appControls;
    std::unique_ptr<SystemExecutor> m_executor;
    std::unique_ptr<StateMonitor> m_monitor;
};

} // namespace Quorvel

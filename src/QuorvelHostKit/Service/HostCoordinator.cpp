#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "Platform/Files/PrivateFile.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/ServiceType.h"
#include "QuorvelCore/ObservedField.h"
#include "QuorvelHostKit/Execution/AppControls.h"
#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"
#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/FileRead.h"
#include "QuorvelHostKit/Service/HostDiagnostics.h"
#include "QuorvelHostKit/Service/HostDisplayName.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"
#include "QuorvelHostKit/Service/RecheckStep.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <algorithm>

#include <cerrno>

namespace Quorvel {

namespace {

// The system picks the listener's port; it is advertised, so devices need not know it.
constexpr quint16 anyPort = 0;

// Who acts in the log for the host's own events.
const QString thisComputer = QStringLiteral("This Computer");

Deck loadDeck(std::optional<QString> &problem)
{
    QString text;
    Deck deck = DeckStore::load(&text);
    if (!text.isEmpty()) {
        problem = text;
    }
    return deck;
}

QString applicationVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("dev") : version;
}

// The status as the diagnostics name it: the case's own name, not its raw value.
QString caseName(LocalNetworkMonitor::Status status)
{
    switch (status) {
    case LocalNetworkMonitor::Status::checking:
        return QStringLiteral("checking");
    case LocalNetworkMonitor::Status::discoverable:
        return QStringLiteral("discoverable");
    case LocalNetworkMonitor::Status::blocked:
        return QStringLiteral("blocked");
    case LocalNetworkMonitor::Status::notVisible:
        return QStringLiteral("notVisible");
    }
    return {};
}

} // namespace

HostCoordinator::HostCoordinator(QObject *parent) : HostCoordinator(Options{}, parent) {}

HostCoordinator::HostCoordinator(Options options, QObject *parent)
    : QObject(parent), m_options(options),
      m_tokenFile(PendingWrite::Folder::make, m_options.fileRetry),
      m_hostIDFile(PendingWrite::Folder::make, m_options.fileRetry),
      m_statusFile(PendingWrite::Folder::mustExist, m_options.fileRetry),
      m_deck(loadDeck(m_deckProblem)), m_listenerStatus(QStringLiteral("starting")),
      m_pairingToken(HostTokenStore::loadOrCreate(&m_tokenFile)),
      m_pairingCodeSaved(!m_tokenFile.isPending()),
      m_allowDeckEditing(HostSettings::stored(allowDeckEditingKey)),
      m_keepsAwake(HostSettings::stored(keepsAwakeKey)),
      m_sleepPreventer(m_options.idleInhibitors ? m_options.idleInhibitors()
                                                : IdleInhibitor::forThisSystem()),
      m_hostID(HostTokenStore::hostID(&m_hostIDFile)), m_hostName(hostDisplayName()),
      m_editorKey(PairingToken::generate())
{
    m_server = std::make_unique<HostServer>(
        m_hostName, m_hostID, anyPort,
        std::unique_ptr<ServicePublisher>(m_options.discovery->makePublisher(nullptr)));
    m_appControls = std::make_unique<AppControls>();
    m_executor = std::make_unique<SystemExecutor>(m_appControls.get());
    if (m_options.executorTools) {
        m_executor->setTools(*m_options.executorTools);
    }
    m_monitor = std::make_unique<StateMonitor>(m_executor.get(), m_deck, defaultPollInterval);
    installServerCallbacks();
    connect(&m_tokenFile, &PendingWrite::retried, this, [this](int error) {
        if (error == 0) {
            assignObserved(this, m_pairingCodeSaved, true,
                           &HostCoordinator::pairingCodeSavedChanged);
        }
    });
    connect(&m_statusFile, &PendingWrite::retried, this, [this](int error) {
        if (error == 0) {
            m_statusFileError.clear();
        }
    });
    connect(&m_sleepPreventer, &SleepPreventer::answerArrived, this,
            &HostCoordinator::awakeLockProblemChanged);
    connect(&m_sleepPreventer, &SleepPreventer::activeChanged, this, [this] {
        emit awakeLockHeldChanged();
        if (m_running) {
            writeStatusFile();
        }
    });
}

HostCoordinator::~HostCoordinator()
{
    // The parts that report to the coordinator go first, so that none reports into a coordinator
    // that is being taken apart.
    m_deckWatcher.reset();
    m_localNetworkMonitor.reset();
    m_monitor.reset();
    m_server.reset();
}

template<typename Work> void HostCoordinator::later(Work work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void HostCoordinator::installServerCallbacks()
{
    const QPointer<HostCoordinator> self(this);
    m_server->onStateChanged = [self](const ListenerState &state) {
        if (self) {
            self->later([self, state] { self->handleListenerState(state); });
        }
    };
    m_server->onClientConnected = [self](const HostServer::Client &client) {
        if (self) {
            self->later([self, client] { self->handleClientConnected(client); });
        }
    };
    m_server->onClientDisconnected = [self](const QUuid &client) {
        if (self) {
            self->later([self, client] { self->handleClientDisconnected(client); });
        }
    };
    m_server->onMessage = [self](const QUuid &client, const Message &message) {
        if (self) {
            self->later([self, client, message] {
                // A request still on its way when hosting was turned off is not served: its
                // connection is gone, and nothing may run or change on a host that is off.
                if (self->m_running) {
                    self->handle(message, client);
                }
            });
        }
    };
}

void HostCoordinator::start()
{
    setRunning(true);
    m_sleepPreventer.setActive(m_keepsAwake);

    m_localNetworkMonitor = std::make_unique<LocalNetworkMonitor>(*m_options.discovery, serviceType,
                                                                  m_hostID, m_options.localNetwork);
    connect(m_localNetworkMonitor.get(), &LocalNetworkMonitor::statusChanged, this,
            [this](LocalNetworkMonitor::Status status) {
                later([this, status] { handleLocalNetworkStatus(status); });
            });
    connect(
        m_localNetworkMonitor.get(), &LocalNetworkMonitor::recheckDue, this,
        [this](qint64 attempt) { later([this, attempt] { handleLocalNetworkRecheck(attempt); }); });
    m_localNetworkMonitor->start();
    emit localNetworkMonitorChanged();

    if (const std::optional<QString> error = m_server->start(m_pairingToken)) {
        setListenerStatus(QStringLiteral("failed: ") + *error);
        qCCritical(lcHostCoordinator, "Could not start listener: %s", qUtf8Printable(*error));
        return;
    }

    const QPointer<HostCoordinator> self(this);
    StateMonitor *monitor = m_monitor.get();
    m_appControls->onChange = [self, monitor](const QString &app) {
        if (self) {
            self->later([monitor, app] { monitor->recheck(app); });
        }
    };
    connect(m_appControls.get(), &AppControls::offersChanged, this,
            &HostCoordinator::appControlOffersChanged, Qt::UniqueConnection);
    m_appControls->start();
    m_monitor->startPolling([self](const QList<ControlState> &states) {
        if (self) {
            self->handleStateChanges(states);
        }
    });
    startDeckWatcher();
}

void HostCoordinator::startDeckWatcher()
{
    const QPointer<HostCoordinator> self(this);
    m_deckWatcher = std::make_unique<DeckWatcher>(
        DeckStore::deckFileURL(), FileRead::read(DeckStore::deckFileURL().toLocalFile()).bytes,
        [self](const QByteArray &bytes) {
            if (self) {
                self->later([self, bytes] { self->handleDeckFileChanged(bytes); });
            }
        },
        m_options.deckWatcher);
    m_deckWatcher->start();
    emit deckWatcherChanged();
}

void HostCoordinator::stop()
{
    setRunning(false);
    m_sleepPreventer.setActive(false);
    if (m_localNetworkMonitor) {
        m_localNetworkMonitor->stop();
        m_localNetworkMonitor.reset();
        emit localNetworkMonitorChanged();
    }
    if (m_deckWatcher) {
        m_deckWatcher->stop();
        m_deckWatcher.reset();
        emit deckWatcherChanged();
    }
    m_server->stop();
    m_appControls->consumer().stop();
    m_monitor->stop();
    // The server reports no state once stopped; the listener's end is shown and recorded here.
    setListenerStatus(QStringLiteral("stopped"));
    if (!writeStatusFile()) {
        // Its last copy says that the host listens: a script, or the report of the next start,
        // would believe in a host that is gone, also once this program has ended and the
        // "stopped" that waits for room with it. A removal needs no room.
        const QString path = statusFilePath();
        const int failure = PrivateFile::removeFile(path);
        if (failure == 0)
            qCWarning(lcHostCoordinator,
                      "Removed %s so that it claims no listener: the host stopped and the file "
                      "could not be rewritten",
                      qUtf8Printable(path));
        else if (failure != ENOENT)
            qCWarning(lcHostCoordinator,
                      "Could not remove %s, which may still say that the host listens: %s",
                      qUtf8Printable(path), qUtf8Printable(PrivateFile::errorText(failure)));
    }
}

bool HostCoordinator::rotatePairingCode()
{
    bool saved = false;
    setPairingToken(HostTokenStore::createAndSave(&saved, &m_tokenFile));
    assignObserved(this, m_pairingCodeSaved, saved, &HostCoordinator::pairingCodeSavedChanged);
    addActivity(HostActivity::make(thisComputer,
                                   QStringLiteral("Made a new pairing code; devices pair again"),
                                   HostActivity::Outcome::info));
    setClients({});
    m_server->restart(m_pairingToken);
    return saved;
}

void HostCoordinator::setAllowDeckEditing(bool allowed)
{
    assignObserved(this, m_allowDeckEditing, allowed, &HostCoordinator::allowDeckEditingChanged);
    HostSettings::store(allowDeckEditingKey, allowed);
    qCInfo(lcHostCoordinator, "Deck editing from other devices: %s", allowed ? "allowed" : "off");
    for (const QUuid &client : m_clients.authenticated()) {
        m_server->send(Message(hostInfo(client)), client);
    }
    writeStatusFile();
}

void HostCoordinator::setKeepsAwake(bool keepAwake)
{
    assignObserved(this, m_keepsAwake, keepAwake, &HostCoordinator::keepsAwakeChanged);
    HostSettings::store(keepsAwakeKey, keepAwake);
    if (m_running) {
        m_sleepPreventer.setActive(keepAwake);
    }
}

void HostCoordinator::reloadDeckEditingSetting()
{
    const bool stored = HostSettings::stored(allowDeckEditingKey);
    if (stored != m_allowDeckEditing) {
        setAllowDeckEditing(stored);
    }
}

std::optional<quint16> HostCoordinator::port() const
{
    return m_server->listeningPort();
}

QStringList HostCoordinator::connectedClientNames() const
{
    QStringList names = m_clients.names().values();
    names.sort();
    return names;
}

QUrl HostCoordinator::deckURL() const
{
    return DeckStore::deckFileURL();
}

QStringList HostCoordinator::diagnosticsText() const
{
    HostDiagnostics diagnostics;
    diagnostics.hostName = m_hostName;
    diagnostics.listenerStatus = m_listenerStatus;
    diagnostics.localNetwork = caseName(m_localNetwork);
    diagnostics.connectedClientNames = connectedClientNames();
    diagnostics.pairingSetByEnvironment = HostTokenStore::isSetByEnvironment();
    diagnostics.allowDeckEditing = m_allowDeckEditing;
    diagnostics.keepsAwake = m_keepsAwake;
    diagnostics.keepAwakeDetail = awakeLockDetail();
    diagnostics.deck = m_deck;
    diagnostics.deckProblem = m_deckProblem;
    diagnostics.activity = m_activity;
    return diagnostics.lines();
}

QString HostCoordinator::awakeLockProblem() const
{
    return m_running ? m_sleepPreventer.problem() : QString();
}

QString HostCoordinator::awakeLockDetail() const
{
    if (!m_running || !m_keepsAwake) {
        return QString();
    }
    if (awakeLockHeld()) {
        return QStringLiteral("lock held by ") +
               m_sleepPreventer.heldLocks().join(QStringLiteral(", "));
    }
    if (m_sleepPreventer.isAsking()) {
        return QStringLiteral("asking for a lock");
    }
    return QStringLiteral("no lock held: ") + m_sleepPreventer.problem();
}

void HostCoordinator::addActivity(const HostActivity &entry)
{
    m_activity.prepend(entry);
    if (m_activity.size() > maxActivityEntries) {
        m_activity.resize(maxActivityEntries);
    }
    emit activityChanged();
}

HostInfo HostCoordinator::hostInfo(const QUuid &client) const
{
    return HostInfo{m_hostName, applicationVersion(),
                    m_allowDeckEditing || m_clients.isLocalEditor(client)};
}

void HostCoordinator::applyDeck(const Deck &deck)
{
    setDeck(deck);
    setDeckProblem(std::nullopt);
    QHash<QString, ControlState> kept;
    for (auto it = m_latestStates.cbegin(); it != m_latestStates.cend(); ++it) {
        if (deck.control(it.key())) {
            kept.insert(it.key(), it.value());
        }
    }
    setLatestStates(kept);
    m_monitor->update(deck);
    m_server->broadcast(Message(deck));
    const QList<ControlState> states = m_monitor->allStates();
    m_server->broadcast(Message(Message::StateUpdate{{states.cbegin(), states.cend()}}));
    writeStatusFile();
}

std::optional<QByteArray> HostCoordinator::saveDeck(const Deck &deck, const QString &device,
                                                    QString *error)
{
    std::optional<QByteArray> bytes = DeckStore::save(deck, device, error);
    if (bytes && m_deckWatcher) {
        m_deckWatcher->noteSaved(*bytes);
    }
    return bytes;
}

QString HostCoordinator::statusFilePath()
{
    return HostTokenStore::folderPath() + QLatin1Char('/') +
           QLatin1String(HostStatusFile::fileName);
}

bool HostCoordinator::writeStatusFile()
{
    HostStatusFile status;
    status.version = applicationVersion();
    status.hostName = m_hostName;
    status.port = m_server->listeningPort();
    status.listener = m_listenerStatus;
    status.localNetwork = rawValue(m_localNetwork);
    status.clients = int(m_clients.authenticated().size());
    status.deckEditingAllowed = HostSettings::stored(allowDeckEditingKey);
    status.deckProblem = m_deckProblem;
    status.keepAwake = m_keepsAwake;
    status.awakeLockHeld = awakeLockHeld();
    if (const QString problem = awakeLockProblem(); !problem.isEmpty()) {
        status.awakeLockProblem = problem;
    }
    status.updatedAt = QDateTime::currentDateTimeUtc();
    const QString path = statusFilePath();
    QString error;
    if (const std::optional<QByteArray> bytes = status.encoded(&error)) {
        if (const int failure = m_statusFile.write(path, *bytes)) {
            error = PrivateFile::errorText(failure);
        }
    } else {
        // What waits from an earlier write no longer tells the host's state.
        m_statusFile.cancel();
    }
    if (error.isEmpty()) {
        m_statusFileError.clear();
    } else if (error != m_statusFileError) {
        // Said once per reason: the file is written at every change of what the host shows.
        m_statusFileError = error;
        qCWarning(lcHostCoordinator, "Could not write %s: %s", qUtf8Printable(path),
                  qUtf8Printable(error));
    }
    return error.isEmpty();
}

void HostCoordinator::handleListenerState(const ListenerState &state)
{
    // A report still on its way when the host stopped tells of a listener that is gone; the
    // "stopped" that stop() recorded stands.
    if (!m_running) {
        return;
    }
    switch (state.kind) {
    case ListenerState::Kind::ready:
        setListenerStatus(QStringLiteral("listening on :") +
                          QString::number(m_server->listeningPort().value_or(0)));
        break;
    case ListenerState::Kind::failed:
        setListenerStatus(QStringLiteral("failed: ") + state.error);
        break;
    }
    writeStatusFile();
}

void HostCoordinator::handleLocalNetworkStatus(LocalNetworkMonitor::Status status)
{
    setLocalNetwork(status);
    if (status == LocalNetworkMonitor::Status::blocked) {
        qCInfo(lcHostCoordinator,
               "Local Network access is blocked; clients can't discover this host");
    }
    writeStatusFile();
}

void HostCoordinator::handleLocalNetworkRecheck(qint64 attempt)
{
    const bool restartDue = attempt % listenerRestartEvery == 0;
    if (recheckStep(attempt, m_clients.authenticated().size()) == RecheckStep::restartListener) {
        qCInfo(lcHostCoordinator, "Still not discoverable; restarting listener (attempt %lld)",
               attempt);
        m_server->restart(m_pairingToken);
        return;
    }
    if (restartDue) {
        qCInfo(lcHostCoordinator,
               "Still not discoverable; advertising again instead of restarting the listener, "
               "since paired devices are connected (attempt %lld)",
               attempt);
    }
    m_server->readvertise();
}

void HostCoordinator::handleStateChanges(const QList<ControlState> &states)
{
    m_server->broadcast(Message(Message::StateUpdate{{states.cbegin(), states.cend()}}));
    QHash<QString, ControlState> merged = m_latestStates;
    for (const ControlState &state : states) {
        merged.insert(state.id, state);
    }
    setLatestStates(merged);
}

void HostCoordinator::handleDeckFileChanged(const QByteArray &bytes)
{
    // An edit that the watcher saw just before the host stopped waits for the next start, which
    // loads the file anyway: applying it now would restart the state monitor's polling.
    if (!m_running) {
        return;
    }
    DeckStore::LoadError error = DeckStore::LoadError::invalidDeck({});
    const std::optional<Deck> deck = DeckStore::parse(bytes, &error);
    if (!deck) {
        const QString description = error.errorDescription();
        setDeckProblem(description);
        addActivity(HostActivity::make(
            thisComputer, QStringLiteral("The actions file was edited, but not applied"),
            HostActivity::Outcome::failed, description));
        qCCritical(lcHostCoordinator, "Ignoring invalid deck.json: %s",
                   qUtf8Printable(description));
        writeStatusFile();
        return;
    }
    applyDeck(*deck);
    qCInfo(lcHostCoordinator, "Reloaded deck from disk");
    addActivity(HostActivity::make(thisComputer, QStringLiteral("The actions file was edited"),
                                   HostActivity::Outcome::ok));
}

void HostCoordinator::setDeck(const Deck &deck)
{
    assignObserved(this, m_deck, deck, &HostCoordinator::deckChanged);
}

void HostCoordinator::setListenerStatus(const QString &status)
{
    assignObserved(this, m_listenerStatus, status, &HostCoordinator::listenerStatusChanged);
}

void HostCoordinator::setLatestStates(const QHash<QString, ControlState> &states)
{
    assignObserved(this, m_latestStates, states, &HostCoordinator::latestStatesChanged);
}

void HostCoordinator::setLastLog(const QString &log)
{
    assignObserved(this, m_lastLog, log, &HostCoordinator::lastLogChanged);
}

void HostCoordinator::setPairingToken(const PairingToken &token)
{
    assignObserved(this, m_pairingToken, token, &HostCoordinator::pairingTokenChanged);
}

void HostCoordinator::setLocalNetwork(LocalNetworkMonitor::Status status)
{
    assignObserved(this, m_localNetwork, status, &HostCoordinator::localNetworkChanged);
}

void HostCoordinator::setDeckProblem(const std::optional<QString> &problem)
{
    assignObserved(this, m_deckProblem, problem, &HostCoordinator::deckProblemChanged);
}

void HostCoordinator::setRunning(bool running)
{
    assignObserved(this, m_running, running, &HostCoordinator::runningChanged);
}

void HostCoordinator::setClients(const HostClientTable &clients)
{
    const HostClientTable before = std::exchange(m_clients, clients);
    if (before.pendingNonces() != clients.pendingNonces())
        emit pendingNoncesChanged();
    if (before.authenticated() != clients.authenticated())
        emit authenticatedClientsChanged();
    if (before.localEditors() != clients.localEditors())
        emit localEditorsChanged();
    if (before.names() != clients.names())
        emit connectedClientsChanged();
}

} // namespace Quorvel

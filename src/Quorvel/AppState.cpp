#include "Quorvel/AppState.h"

#include "Platform/Files/LeftoverFiles.h"
#include "Platform/Files/PrivateFile.h"
#include "Platform/Files/SettingsFile.h"
#include "Platform/Text/OutsideText.h"
#include "Quorvel/AppLogging.h"
#include "Quorvel/LoginItem.h"
#include "Quorvel/Outside/ActionListFile.h"
#include "QuorvelClientUI/ActionSharing.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <QTimer>

namespace Quorvel {

namespace {

// The stored sharing choice: a stored Bool (or its text), true when absent or anything else.
bool storedShareActions()
{
    const QVariant value = openClientSettings()->value(ActionSharing::shareActionsKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return value.toString() != QLatin1String("false");
}

// How long before start a temporary file must have changed last to count as left over. Only the
// copy the instance claim let run gets here, but a copy in another session with the same home, or
// one that could not claim, may be writing right now; a write changes its file until the rename,
// which takes far less than this.
constexpr std::chrono::seconds leftoverAge{10};

// Removes the temporary files of writes that a kill cut short: those of the files the program
// writes, in each folder it writes them, and no other.
void removeLeftoverFiles(const QDateTime &now, const QString &loginUnit)
{
    const QString dataFolder = HostTokenStore::folderPath();
    if (dataFolder.isEmpty())
        return;
    // The deck in the data folder counts also while QUORVEL_DECK names another: an earlier run
    // wrote it there.
    const QStringList files = {
        HostTokenStore::tokenFilePath(),
        dataFolder + u'/' + QLatin1String(HostTokenStore::hostIDFileName),
        dataFolder + u'/' + QLatin1String(HostStatusFile::fileName),
        ActionListFile::defaultPath(),
        DeckStore::defaultDeckFilePath(),
        DeckStore::deckFileURL().toLocalFile(),
        loginUnit,
    };
    QMap<QString, QStringList> namesByFolder;
    for (const QString &file : files) {
        const QFileInfo info(file);
        namesByFolder[info.absolutePath()].append(info.fileName());
    }
    QList<std::pair<QString, LeftoverFiles::WrittenFile>> folders;
    for (auto folder = namesByFolder.cbegin(); folder != namesByFolder.cend(); ++folder) {
        folders.append({folder.key(), [names = folder.value()](const QString &name) {
                            return names.contains(name);
                        }});
    }
    folders.append({DeckStore::historyFolderPath(), DeckStore::isHistoryCopyName});
    const QDateTime changedBefore = now.addSecs(-leftoverAge.count());
    for (const auto &[folder, written] : std::as_const(folders)) {
        for (const QString &name : LeftoverFiles::remove(folder, written, changedBefore))
            qCInfo(lcApp).noquote() << "Removed the leftover temporary file"
                                    << folder + u'/' + OutsideText::forLog(name);
    }
}

} // namespace

AppState::AppState(Options options, QObject *parent)
    : QObject(parent), m_loginAgent(options.loginAgent), m_deckEditorDelay(options.deckEditorDelay)
{
    Q_ASSERT(thread() == QCoreApplication::instance()->thread());
    // The deck holds the user's commands: the data folder is the user's alone, also when an
    // earlier version made it readable by everyone.
    if (const int failure = PrivateFile::tightenFolder(HostTokenStore::folderPath()))
        qCWarning(lcApp).noquote() << "Could not make" << HostTokenStore::folderPath()
                                   << "private:" << PrivateFile::errorText(failure);
    // So are the settings: they hold the link approvals, the cached deck and whether devices
    // may edit this computer's actions.
    if (const int failure = SettingsFile::makePrivate())
        qCWarning(lcApp).noquote() << "Could not make" << SettingsFile::folderPath()
                                   << "private:" << PrivateFile::errorText(failure);
    removeLeftoverFiles(options.clock(), m_loginAgent.unitPath());
    m_roles = std::make_unique<AppRoles>(options.rolePaths);
    Q_ASSERT(options.model);
    m_model = options.model;
    m_makeHost = options.makeHost ? std::move(options.makeHost)
                                  : [] { return std::make_unique<HostCoordinator>(); };
    m_startsAtLogin = m_loginAgent.status() == LoginAgentUnit::Status::enabled;
    m_sharing = std::make_unique<ActionSharing>(*m_model);
    if (m_roles->wasOldHost())
        setStartsAtLogin(true);

    connect(m_roles.get(), &AppRoles::remoteChanged, this, &AppState::updateActive);
    connect(m_roles.get(), &AppRoles::hostingChanged, this, &AppState::updateActive);
    connect(m_model, &ClientModel::statusChanged, this, &AppState::updateActive);
    connect(this, &AppState::hostChanged, this, &AppState::watchHost);

    applyRoles();
    updateActive();

    const LaunchRequest &launch = options.launch;
    if (!m_roles->onboarded() || launch.showOnboarding)
        QTimer::singleShot(0, this, &AppState::showOnboarding);
    if (launch.showSettings)
        QTimer::singleShot(0, this, &AppState::showSettings);
    if (launch.openDeckEditor)
        QTimer::singleShot(m_deckEditorDelay, this, &AppState::openDeckEditor);
    for (const QUrl &link : launch.links) {
        QTimer::singleShot(0, this,
                           [this, link, sender = launch.senderProcess] { openLink(link, sender); });
    }
}

AppState::~AppState()
{
    if (m_host && m_host->running())
        m_host->stop();
}

void AppState::setStartsAtLoginStatus(bool enabled)
{
    if (m_startsAtLogin == enabled)
        return;
    m_startsAtLogin = enabled;
    emit startsAtLoginChanged();
}

void AppState::setStartsAtLogin(bool on)
{
    Quorvel::setStartsAtLogin(m_loginAgent, on);
    setStartsAtLoginStatus(m_loginAgent.status() == LoginAgentUnit::Status::enabled);
}

void AppState::applyRoles()
{
    if (m_roles->remote()) {
        m_model->start();
    } else {
        m_model->disconnectFromHost();
        m_model->stop();
    }
    m_sharing->setEnabled(m_roles->remote() && storedShareActions());

    if (m_roles->hosting() && !m_host) {
        m_host = m_makeHost();
        m_host->start();
        emit hostChanged();
    } else if (!m_roles->hosting() && m_host) {
        m_host->stop();
        // Its own deferred work may still be queued; it does nothing once the object is gone.
        m_host.reset();
        emit hostChanged();
    }
    m_model->setExcludedHostID(m_host ? std::optional<QString>(m_host->hostID()) : std::nullopt);
}

bool AppState::activeFor(bool remote, bool connected, bool hosting, bool hostExists,
                         LocalNetworkMonitor::Status localNetwork)
{
    if (remote && connected)
        return true;
    return hosting && hostExists && localNetwork == LocalNetworkMonitor::Status::discoverable;
}

bool AppState::isActive() const
{
    return activeFor(m_roles->remote(), m_model->isConnected(), m_roles->hosting(),
                     m_host != nullptr,
                     m_host ? m_host->localNetwork() : LocalNetworkMonitor::Status::checking);
}

void AppState::updateActive()
{
    const bool active = isActive();
    if (active == m_active)
        return;
    m_active = active;
    emit activeChanged();
}

void AppState::watchHost()
{
    if (m_host)
        connect(m_host.get(), &HostCoordinator::localNetworkChanged, this, &AppState::updateActive);
    updateActive();
}

void AppState::handle(const LaunchRequest &request)
{
    if (!request.asksForMore()) {
        emit activationRequested();
        return;
    }
    if (request.showOnboarding)
        showOnboarding();
    if (request.showSettings)
        showSettings();
    if (request.openDeckEditor)
        openDeckEditor();
    for (const QUrl &link : request.links)
        openLink(link, request.senderProcess);
}

void AppState::showOnboarding()
{
    m_windows.open(WindowTable::onboarding);
}

void AppState::showSettings()
{
    m_windows.open(WindowTable::settings);
}

void AppState::openDeckEditor()
{
    // The remote's editor edits the host that the remote is connected to: with the remote role
    // off it would wait for a connection for ever.
    if (m_roles->remote()) {
        m_windows.open(WindowTable::deckEditor, deckEditorTitle);
        return;
    }
    if (!m_host) {
        qCInfo(lcApp) << "No deck editor to open: this computer is neither a remote nor a host";
        return;
    }
    openLocalEditorOnceListening();
}

void AppState::openLocalEditorOnceListening()
{
    disconnect(m_localEditorWait);
    if (m_host->port().value_or(0) != 0) {
        openLocalEditor();
        return;
    }
    qCInfo(lcApp) << "This computer's deck editor opens once its host listens";
    HostCoordinator *const host = m_host.get();
    // The wait belongs to the host: a host that goes first takes it along.
    m_localEditorWait = connect(host, &HostCoordinator::listenerStatusChanged, this, [this, host] {
        if (host->port().value_or(0) == 0)
            return;
        disconnect(m_localEditorWait);
        openLocalEditor();
    });
}

void AppState::openLocalEditor()
{
    if (m_localEditorOpener) {
        m_localEditorOpener();
        return;
    }
    m_windows.open(WindowTable::localEditor);
}

void AppState::openLink(const QUrl &link, std::optional<qint64> sender)
{
    if (m_linkHandler) {
        m_linkHandler(link, sender);
        return;
    }
    qCInfo(lcApp).noquote() << "Link received, but this version follows no links:"
                            << OutsideText::forLog(link.toString());
}

void AppState::requestQuit()
{
    if (!m_quitting && m_quitCheck && !m_quitCheck())
        return;
    quit();
}

void AppState::quit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    qCInfo(lcApp) << "Quitting";
    if (m_host)
        m_host->stop();
    emit quitting();
    QCoreApplication::exit(0);
}

} // namespace Quorvel

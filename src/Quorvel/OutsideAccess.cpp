#include "Quorvel/OutsideAccess.h"

#include "Platform/Desktop/CallerApplication.h"
#include "Platform/Desktop/DesktopEntries.h"
#include "Platform/Desktop/SchemeHandler.h"
#include "Platform/Text/OutsideText.h"
#include "Quorvel/AppLogging.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QStandardPaths>

namespace Quorvel {

namespace {

const QString downloadAction = QStringLiteral("download");

} // namespace

OutsideAccess::OutsideAccess(AppState &state, Options options, QObject *parent)
    : QObject(parent), m_state(state), m_runner(&state.model(), options.connectionWait),
      m_busService(&m_runner), m_notices(options.bus),
      m_links(&m_runner, &m_approvals, &m_notices, &m_alert),
      m_listFile(&state.model(), options.listFilePath),
      m_updater(options.appcast, Updater::shortVersion())
{
    m_busRegistered = m_busService.registerOn(options.bus);
    if (!m_busRegistered)
        qCWarning(lcApp) << "The actions for scripts could not be put on the session bus";

    state.setLinkHandler([this](const QUrl &link, std::optional<qint64> senderProcess) {
        const std::optional<LinkSender> sender = senderOf(senderProcess);
        qCInfo(lcApp).noquote() << "Link received:" << OutsideText::forLog(link.toString())
                                << "from"
                                << (sender ? OutsideText::forLog(sender->appID)
                                           : QStringLiteral("an unknown opener"));
        m_links.handleLink(link, sender);
    });
    const QString entry =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, ownDesktopEntry);
    if (!entry.isEmpty())
        SchemeHandler::claimIfUnclaimed(QStringLiteral("quorvel"), entry);
    m_listFile.startObserving();
    connect(&state, &AppState::quitting, this, [this] { m_listFile.writeFinal(); });

    connect(&m_updater, &Updater::updateFound, this, [this](const AppcastItem &item) {
        m_notices.notifier().notify(Updater::availableText(item.displayVersion),
                                    QStringLiteral("Download it in your browser."),
                                    {downloadAction, QStringLiteral("Download")});
    });
    connect(&m_notices.notifier(), &DesktopNotifier::actionInvoked, this,
            [this](quint32, const QString &key) {
                if (key == downloadAction)
                    m_updater.openDownload();
            });
}

std::optional<LinkSender> OutsideAccess::senderOf(std::optional<qint64> pid)
{
    if (!pid)
        return std::nullopt;
    const CallerApplication finder(DesktopEntries::installed(), ownDesktopEntry);
    const std::optional<DesktopEntry> entry = finder.find(*pid);
    if (!entry)
        return std::nullopt;
    return LinkSender{entry->id, entry->name.isEmpty() ? entry->id : entry->name};
}

void OutsideAccess::diagnosticReport(QObject *context, std::function<void(QString)> onDone)
{
    DiagnosticReport report;
    report.now = QDateTime::currentDateTime();
    report.version = Updater::versionString();
    report.location = QCoreApplication::applicationFilePath();
    report.homePath = QDir::homePath();
    report.osLine = DiagnosticReport::linuxLine();
    report.remote = m_state.roles().remote();
    report.hosting = m_state.roles().hosting();
    report.startsAtLogin = m_state.startsAtLogin();
    report.automaticallyChecks = m_updater.automaticallyChecks();
    report.getsTestBuilds = m_updater.getsTestBuilds();
    report.availableVersion = m_updater.pendingVersion();
    if (HostCoordinator *host = m_state.host())
        report.hostLines = host->diagnosticsText();
    if (const ClientModel *editor = m_state.localEditorModel(); editor && editor->isConnected())
        report.editor = DiagnosticReport::Editor{true, editor->canEditDeck()};
    if (!report.remote) {
        onDone(report.text());
        return;
    }
    m_state.model().diagnosticSummary(context, [report, onDone](const QStringList &lines) mutable {
        report.remoteLines = lines;
        onDone(report.text());
    });
}

void OutsideAccess::copyDiagnosticReport()
{
    diagnosticReport(this, [](const QString &text) { QApplication::clipboard()->setText(text); });
}

} // namespace Quorvel

#pragma once

#include "Quorvel/Outside/ActionListFile.h"
#include "Quorvel/Outside/ActionRunner.h"
#include "Quorvel/Outside/ActionsBusService.h"
#include "Quorvel/Outside/DesktopLinkNotices.h"
#include "Quorvel/Outside/DiagnosticReport.h"
#include "Quorvel/Outside/LinkApprovalAlert.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "Quorvel/Outside/LinkHandler.h"
#include "Quorvel/Outside/Updater.h"

#include <QDBusConnection>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

class AppState;

// What reaches the running program from outside, tied to the application state: the actions for
// scripts on the session bus, the links with their approvals and notices, the actions list file,
// the update checks and the diagnostic report.
class OutsideAccess : public QObject {
    Q_OBJECT
public:
    static inline const QString ownDesktopEntry = QStringLiteral("com.vantrel.quorvel.desktop");
    static inline const QString defaultAppcast =
        QStringLiteral("https://updates.vantrel.com/quorvel/appcast.xml");

    struct Options {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QString listFilePath = ActionListFile::defaultPath();
        QUrl appcast = QUrl(defaultAppcast);
        std::chrono::milliseconds connectionWait = ActionRunner::defaultConnectionWait;
    };

    OutsideAccess(AppState &state, Options options, QObject *parent = nullptr);

    ActionRunner &runner() { return m_runner; }
    LinkApprovals &approvals() { return m_approvals; }
    LinkApprovalAlert &alert() { return m_alert; }
    LinkHandler &links() { return m_links; }
    ActionListFile &listFile() { return m_listFile; }
    Updater &updater() { return m_updater; }
    bool busServiceRegistered() const { return m_busRegistered; }

    // The installed application behind a process, for a link's approval.
    static std::optional<LinkSender> senderOf(std::optional<qint64> pid);

    // The report, once the client model has given its lines.
    void diagnosticReport(QObject *context, std::function<void(QString)> onDone);
    // Puts the report on the clipboard.
    void copyDiagnosticReport();

private:
    AppState &m_state;
    ActionRunner m_runner;
    ActionsBusService m_busService;
    bool m_busRegistered = false;
    LinkApprovals m_approvals;
    DesktopLinkNotices m_notices;
    LinkApprovalAlert m_alert;
    LinkHandler m_links;
    ActionListFile m_listFile;
    Updater m_updater;
};

} // namespace Quorvel

#pragma once

#include "Platform/Session/LoginAgentUnit.h"
#include "Quorvel/AppRoles.h"
#include "Quorvel/LaunchRequest.h"
#include "Quorvel/WindowTable.h"
#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace Quorvel {

class ActionSharing;
class ClientModel;

// The root of the running program: the role flags, the shared remote-client model, the offering
// of the host's actions to other programs, the host coordinator while hosting, the windows and
// the start-at-login status. applyRoles() turns the flags into running services. Made once, on
// the main thread, after this copy knows it is the one to run; lives until the process ends.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(Quorvel::HostCoordinator *host READ host NOTIFY hostChanged)
    Q_PROPERTY(bool startsAtLogin READ startsAtLogin WRITE setStartsAtLoginStatus NOTIFY
                   startsAtLoginChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY activeChanged)

public:
    // A window opened from the command line waits for the start to settle.
    static constexpr std::chrono::milliseconds defaultDeckEditorDelay{1500};
    static inline const QString deckEditorTitle = QStringLiteral("Edit Actions");
    // The keyring service of the local deck editor's own pairing code.
    static inline const QString localEditorKeychainService =
        QStringLiteral("com.vantrel.quorvel.local-editor");

    struct Options {
        LaunchRequest launch;
        AppRoles::Paths rolePaths;
        // The remote-client model, shared by the menu, the scripting interface, the links and the
        // action sharing; it outlives the state.
        ClientModel *model = nullptr;
        // Makes the host coordinator when hosting is turned on.
        std::function<std::unique_ptr<HostCoordinator>()> makeHost;
        LoginAgentUnit::Options loginAgent;
        std::chrono::milliseconds deckEditorDelay = defaultDeckEditorDelay;
        // The clock that tells which temporary files at start are left over (not in flight).
        std::function<QDateTime()> clock = &QDateTime::currentDateTime;
    };

    explicit AppState(Options options, QObject *parent = nullptr);
    ~AppState() override;

    AppRoles &roles() { return *m_roles; }
    ClientModel &model() { return *m_model; }
    ActionSharing &sharing() { return *m_sharing; }
    HostCoordinator *host() const { return m_host.get(); }
    const LoginAgentUnit &loginAgent() const { return m_loginAgent; }
    WindowTable &windows() { return m_windows; }

    bool startsAtLogin() const { return m_startsAtLogin; }
    // Only stores the status; turning start at login on or off is setStartsAtLogin's.
    void setStartsAtLoginStatus(bool enabled);
    // Registers or unregisters the login agent, then stores the status systemd reports.
    void setStartsAtLogin(bool on);

    // Makes the running services match the role flags: the remote started or stopped, the
    // sharing on only with the remote, at most one host coordinator, and this computer's own host
    // left out of the remote's list while it hosts.
    void applyRoles();

    // Whether the tray mark is drawn active: the remote is on and connected, or this computer
    // hosts and can be seen on the local network.
    bool isActive() const;
    // The rule itself; the remote is asked first.
    static bool activeFor(bool remote, bool connected, bool hosting, bool hostExists,
                          LocalNetworkMonitor::Status localNetwork);

    // A request from a later start or a launcher: its windows open, its links are followed; a
    // plain start brings the menu forward.
    void handle(const LaunchRequest &request);
    void showOnboarding();
    void showSettings();
    // The deck editor that the roles can use: the remote's while the remote role is on, else this
    // computer's own while it hosts (once its host listens), else none.
    void openDeckEditor();
    // This computer's own actions, in the local deck editor.
    void openLocalEditor();

    // Follows a link of the program's scheme; until a link handler is set, links are logged.
    using LinkHandler = std::function<void(const QUrl &link, std::optional<qint64> sender)>;
    void setLinkHandler(LinkHandler handler) { m_linkHandler = std::move(handler); }
    // Opens this computer's own deck editor; without one, openLocalEditor only opens the
    // window table's entry.
    void setLocalEditorOpener(std::function<void()> opener)
    {
        m_localEditorOpener = std::move(opener);
    }
    // This computer's own deck editor's model, made on first use by whoever owns the editor;
    // null without one.
    void setLocalEditorModel(std::function<ClientModel &()> model)
    {
        m_localEditorModel = std::move(model);
    }
    ClientModel *localEditorModel() const
    {
        return m_localEditorModel ? &m_localEditorModel() : nullptr;
    }
    void openLink(const QUrl &link, std::optional<qint64> sender);

    // The one way the program ends, for Quit and for the signals that end it: stops the host so
    // that its status file says stopped, lets the savers run, then ends the event loop with 0.
    void quit();
    // Quit as the user asks for it (the menu's Quit, Ctrl+Q): the check may keep the program
    // running, when work that would be lost is kept. Signals and the session's end never ask.
    void requestQuit();
    void setQuitCheck(std::function<bool()> check) { m_quitCheck = std::move(check); }

signals:
    void hostChanged();
    void startsAtLoginChanged();
    void activeChanged();
    // A later start asked to bring the program forward.
    void activationRequested();
    // The program is about to end: the last moment to save.
    void quitting();

private:
    void updateActive();
    void watchHost();
    void openLocalEditorOnceListening();

    LoginAgentUnit m_loginAgent;
    std::unique_ptr<AppRoles> m_roles;
    ClientModel *m_model = nullptr;
    std::unique_ptr<HostCoordinator> m_host;
    bool m_startsAtLogin = false;
    std::unique_ptr<ActionSharing> m_sharing;
    std::function<std::unique_ptr<HostCoordinator>()> m_makeHost;
    std::chrono::milliseconds m_deckEditorDelay;
    WindowTable m_windows;
    LinkHandler m_linkHandler;
    std::function<void()> m_localEditorOpener;
    // While this computer's editor waits for its host to listen.
    QMetaObject::Connection m_localEditorWait;
    std::function<bool()> m_quitCheck;
    std::function<ClientModel &()> m_localEditorModel;
    bool m_active = false;
    bool m_quitting = false;
};

} // namespace Quorvel

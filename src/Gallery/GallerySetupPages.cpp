// The set-up window on each of its steps, with the roles off and on, and the settings window on
// each of its tabs, over a real application state with real hosts in this process.

#include "Gallery/GalleryApp.h"
#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryHost.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "Quorvel/AppState.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "Quorvel/Outside/Updater.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/Setup/SettingsWindow.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

namespace Quorvel {

namespace {

using Step = OnboardingFlow::Step;

// A feed on loopback that nothing serves; the gallery never checks it.
const QUrl unservedFeed(QStringLiteral("https://127.0.0.1:9/appcast.xml"));

bool waitListening(GallerySession &session, AppState *state)
{
    return !state->host() || session.waitFor([state] { return state->host()->port().has_value(); });
}

// The set-up window on a step, with the roles as given; wishes follow the roles.
QWidget *onboarding(GallerySession &session, Step step, bool remote, bool hosting, bool tray = true)
{
    AppState *state = galleryApp(session, remote, hosting);
    if (!waitListening(session, state))
        return nullptr;
    OnboardingWindow::Options options;
    options.trayAvailable = tray;
    auto *window = new OnboardingWindow(*state, options);
    window->flow().setWantsHosting(hosting || step == Step::host);
    window->flow().setWantsRemote(remote || step == Step::remote);
    while (window->flow().step() != step)
        window->flow().move(1);
    return window;
}

// A step while the remote meets a host: needing its code, or connected to it (a host that
// allows its actions to be edited from other devices).
QWidget *remoteMeeting(GallerySession &session, bool connected, Step step = Step::remote)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    if (!host)
        return nullptr;
    host->coordinator().setAllowDeckEditing(true);
    AppState *state = galleryApp(session, true, false, model);
    model->connectTo(host->listing());
    if (connected ? !session.pair(model, host) : !session.waitFor([model] {
            return model->status().kind() == ClientConnectionStatus::Kind::needsPairing;
        }))
        return nullptr;
    auto *window = new OnboardingWindow(*state, {});
    window->flow().setWantsRemote(true);
    while (window->flow().step() != step)
        window->flow().move(1);
    return window;
}

QWidget *settings(GallerySession &session, const QString &tag, bool remote, bool hosting,
                  bool withActivity = false)
{
    AppState *state = galleryApp(session, remote, hosting);
    if (!waitListening(session, state))
        return nullptr;
    auto *approvals = session.keep(std::make_unique<LinkApprovals>());
    if (remote && approvals->entries().isEmpty()) {
        approvals->record(QStringLiteral("org.example.Launcher.desktop"),
                          QStringLiteral("Launcher"), true);
        approvals->record(QStringLiteral("org.example.Notes.desktop"), QStringLiteral("Notes"),
                          false);
    }
    if (HostCoordinator *host = state->host()) {
        // Wished, with no lock to be had here: the warning shows.
        host->setKeepsAwake(true);
        if (withActivity) {
            host->addActivity(HostActivity::make(QStringLiteral("iPad"), QStringLiteral("Ran Lamp"),
                                                 HostActivity::Outcome::ok));
            host->addActivity(HostActivity::make(
                QStringLiteral("Mac mini"), QStringLiteral("Ran Build"),
                HostActivity::Outcome::failed,
                // Longer than the three lines a detail shows.
                QStringLiteral("cc -c main.c\nmain.c:3: warning: unused variable 'x'\n"
                               "main.c:9: error: expected ';' before 'return'\ncc -c util.c\n"
                               "util.c:12: warning: comparison of integers of different signs\n"
                               "cc -c net.c\nnet.c:40: error: unknown type name 'socklen'\n"
                               "make: *** [Makefile:12: main.o] Error 1\n"
                               "make: *** Waiting for unfinished jobs....\n"
                               "make: Leaving directory '/home/someone/src/build'\nStop.")));
            host->addActivity(HostActivity::make(QStringLiteral("iPhone"),
                                                 QStringLiteral("Connected"),
                                                 HostActivity::Outcome::info));
        }
    }
    auto *updater = session.keep(std::make_unique<Updater>(unservedFeed, QStringLiteral("1.4")));
    SettingsWindow::Services services;
    services.general.approvals = approvals;
    services.updater = updater;
    services.version = Updater::versionString(QStringLiteral("1.4"), QStringLiteral("120"));
    auto *window = new SettingsWindow(*state, services);
    window->setMinimumSize(SettingsWindow::defaultSize);
    window->selectTab(tag);
    return window;
}

const QString setUp = QStringLiteral("Onboarding");
const QString settingsView = QStringLiteral("Settings");
constexpr GalleryPass offline = GalleryPass::withoutDiscovery;

const GalleryRegistry::Registration pages{
    {setUp, QStringLiteral("welcome-none"), offline,
     [](GallerySession &s) { return onboarding(s, Step::welcome, false, false); }},
    {setUp, QStringLiteral("welcome-both"), offline,
     [](GallerySession &s) { return onboarding(s, Step::welcome, true, true); }},
    {setUp, QStringLiteral("host-before"), offline,
     [](GallerySession &s) { return onboarding(s, Step::host, false, false); }},
    {setUp, QStringLiteral("host-running"), offline,
     [](GallerySession &s) { return onboarding(s, Step::host, false, true); }},
    {setUp, QStringLiteral("remote-before"), offline,
     [](GallerySession &s) { return onboarding(s, Step::remote, false, false); }},
    {setUp, QStringLiteral("remote-searching"), offline,
     [](GallerySession &s) { return onboarding(s, Step::remote, true, false); }},
    // Drawn before any page pairs, while no code for the gallery's host is stored.
    {setUp, QStringLiteral("remote-code"), offline,
     [](GallerySession &s) { return remoteMeeting(s, false); }, -1},
    {setUp, QStringLiteral("remote-connected"), offline,
     [](GallerySession &s) { return remoteMeeting(s, true); }},
    {setUp, QStringLiteral("done-none"), offline,
     [](GallerySession &s) { return onboarding(s, Step::done, false, false); }},
    {setUp, QStringLiteral("done-hosting-no-tray"), offline,
     [](GallerySession &s) { return onboarding(s, Step::done, false, true, false); }},
    {setUp, QStringLiteral("done-both"), offline,
     [](GallerySession &s) { return onboarding(s, Step::done, true, true); }},
    {setUp, QStringLiteral("done-connected"), offline,
     [](GallerySession &s) { return remoteMeeting(s, true, Step::done); }},
    {settingsView, QStringLiteral("general-remote-off"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("general"), false, false); }},
    {settingsView, QStringLiteral("general-remote-on"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("general"), true, true); }},
    {settingsView, QStringLiteral("host-not-hosting"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("host"), false, false); }},
    {settingsView, QStringLiteral("host-hosting"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("host"), false, true); }},
    {settingsView, QStringLiteral("activity-empty"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("activity"), false, true); }},
    {settingsView, QStringLiteral("activity-entries"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("activity"), false, true, true); }},
    {settingsView, QStringLiteral("updates"), offline,
     [](GallerySession &s) { return settings(s, QStringLiteral("updates"), false, false); }},
};

} // namespace

} // namespace Quorvel

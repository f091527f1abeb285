#pragma once

#include "Quorvel/AppMenu.h"
#include "Quorvel/Outside/LinkApprovalAlert.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "Quorvel/Outside/Updater.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/Setup/SettingsWindow.h"
#include "Quorvel/UnsavedEditsQuestion.h"
#include "QuorvelHostKit/Service/HostActivity.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "ClientTestSupport.h"
#include "SetupFixture.h"
#include "TestHost.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

// The program's own windows in their main states, for tests that walk every window.
namespace WindowScenes {

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::SetupTest;
using Step = OnboardingFlow::Step;

// A feed on loopback that nothing serves: nothing here checks it.
inline const QUrl unservedFeed(QStringLiteral("https://127.0.0.1:9/appcast.xml"));

// One of the program's windows in one of its states over a real application state, with a real
// host in this process where the state needs one. The window goes first.
struct Scene {
    // The name the host that the remote meets goes by (one of its own by default), and its deck.
    QString hostName;
    Deck deck = sampleDeck();
    std::unique_ptr<TestHost> host;
    std::unique_ptr<SetupApp> app;
    LinkApprovals approvals;
    Updater updater{unservedFeed, QStringLiteral("1.0")};
    std::unique_ptr<QWidget> window;
    // A window over it that the scene is about (a popover), when there is one.
    QPointer<QWidget> popup;

    ~Scene() { window.reset(); }

    void start(bool remote, bool hosting)
    {
        openClientSettings()->clear();
        storeRoles(remote, hosting);
        app = std::make_unique<SetupApp>();
    }

    // Hosting: listening. A remote that meets the small test host: needing its code, or with
    // its code stored, showing its actions.
    bool settle(bool meetHost, bool paired)
    {
        if (HostCoordinator *running = app->state->host()) {
            if (!QTest::qWaitFor([running] { return running->port().has_value(); }, answerLimitMs))
                return false;
        }
        if (!meetHost)
            return true;
        host = std::make_unique<TestHost>(firstCode(), deck,
                                          hostName.isEmpty() ? uniqueHostName() : hostName);
        if (!host->start() || (paired && !Keyring().save(firstCode(), host->hostID())))
            return false;
        app->model.connectTo(host->listing());
        ClientModel &model = app->model;
        return QTest::qWaitFor(
            [&model, paired] {
                return paired ? model.deck().has_value()
                              : model.status().kind() == ClientConnectionStatus::Kind::needsPairing;
            },
            answerLimitMs);
    }

    OnboardingWindow *setUp(Step step)
    {
        auto *made = new OnboardingWindow(*app->state, {});
        window.reset(made);
        made->flow().setWantsHosting(step == Step::host || app->state->host());
        made->flow().setWantsRemote(step != Step::host);
        while (made->flow().step() != step)
            made->flow().move(1);
        return made;
    }

    SettingsWindow *settings(const QString &tag)
    {
        approvals.record(QStringLiteral("org.example.Launcher.desktop"), QStringLiteral("Launcher"),
                         true);
        SettingsWindow::Services services;
        services.general.approvals = &approvals;
        services.updater = &updater;
        services.version = QStringLiteral("1.0");
        auto *made = new SettingsWindow(*app->state, services);
        window.reset(made);
        made->selectTab(tag);
        return made;
    }
};

struct Recipe {
    bool remote = false;
    bool hosting = false;
    bool meetHost = false;
    bool paired = false;
    std::function<void(Scene &)> make;
    // What changes once the window is shown: parts made then.
    std::function<bool(Scene &)> then = nullptr;
};

inline const std::map<QString, Recipe> &recipes()
{
    const auto setUp = [](Step step) { return [step](Scene &scene) { scene.setUp(step); }; };
    const auto settings = [](const QString &tag) {
        return [tag](Scene &scene) { scene.settings(tag); };
    };
    const auto menu = [](Scene &scene) {
        scene.window = std::make_unique<AppMenu>(*scene.app->state);
    };
    static const std::map<QString, Recipe> all{
        {"set-up, welcome", {false, false, false, false, setUp(Step::welcome)}},
        {"set-up, host", {false, false, false, false, setUp(Step::host)}},
        {"set-up, hosting", {false, true, false, false, setUp(Step::host)}},
        {"set-up, remote", {false, false, false, false, setUp(Step::remote)}},
        {"set-up, looking", {true, false, false, false, setUp(Step::remote)}},
        {"set-up, pairing", {true, false, true, false, setUp(Step::remote)}},
        {"set-up, connected", {true, false, true, true, setUp(Step::remote)}},
        {"set-up, done", {true, true, false, false, setUp(Step::done)}},
        {"settings, general", {true, true, false, false, settings("general")}},
        {"settings, this computer", {false, true, false, false, settings("host")}},
        {"settings, this computer, not hosting", {false, false, false, false, settings("host")}},
        {"settings, activity",
         {false, true, false, false,
          [](Scene &scene) {
              HostCoordinator *host = scene.app->state->host();
              host->addActivity(HostActivity::make(
                  QStringLiteral("iPad"), QStringLiteral("Ran Lamp"), HostActivity::Outcome::ok));
              host->addActivity(HostActivity::make(
                  QStringLiteral("Mac mini"), QStringLiteral("Ran Build"),
                  HostActivity::Outcome::failed, QStringLiteral("make: *** Error 1")));
              scene.settings("activity");
          }}},
        {"settings, updates", {false, false, false, false, settings("updates")}},
        {"menu, off", {false, false, false, false, menu}},
        {"menu, hosting", {false, true, false, false, menu}},
        {"menu, pairing", {true, false, true, false, menu}},
        {"menu, connected", {true, true, true, true, menu}},
        {"approval question",
         {false, false, false, false,
          [](Scene &scene) {
              scene.window.reset(LinkApprovalAlert::build(
                  {LinkSender{QStringLiteral("org.example.Editor.desktop"),
                              QStringLiteral("Text Editor")},
                   QStringLiteral("Desk Lamp"), QStringLiteral("Studio")}));
          }}},
        {"menu, actions come later",
         {true, true, false, false, menu, [](Scene &scene) { return scene.settle(true, true); }}},
        {"set-up, connected later",
         {true, false, false, false, setUp(Step::remote),
          [](Scene &scene) { return scene.settle(true, true); }}},
        {"settings, general, approval later",
         {true, true, false, false, settings("general"),
          [](Scene &scene) {
              scene.approvals.record(QStringLiteral("org.example.Mail.desktop"),
                                     QStringLiteral("Mail"), false);
              return true;
          }}},
        {"settings, activity comes later",
         {false, true, false, false, settings("activity"),
          [](Scene &scene) {
              scene.app->state->host()->addActivity(HostActivity::make(
                  QStringLiteral("iPad"), QStringLiteral("Ran Lamp"), HostActivity::Outcome::ok));
              return true;
          }}},
        {"quit question",
         {false, false, false, false,
          [](Scene &scene) {
              scene.window.reset(
                  UnsavedEditsQuestion::make({{QStringLiteral("Studio"), 2}}, nullptr));
          }}},
    };
    return all;
}

// Counts the layout requests that reach widgets.
class LayoutRequests : public QObject {
public:
    LayoutRequests() { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest && watched->isWidgetType())
            ++count;
        return false;
    }
};

// Lets the shown windows' layouts settle. A widget whose content changed asks the one around it
// for room with a posted request, which that one answers in the next pass of the event loop: a
// text or a row that changes deep inside a shown window (a notice, a sentence that wraps once its
// pieces show) reaches the window one level per pass, and the menu fits its height last. Passes
// until one brings no request; false when they never stop.
inline bool settleLayouts()
{
    constexpr int mostPasses = 100;
    LayoutRequests requests;
    for (int pass = 0; pass < mostPasses; ++pass) {
        requests.count = 0;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (requests.count == 0)
            return true;
    }
    return false;
}

// The screen made, shown and active, with what comes once it is shown.
inline bool show(Scene &scene, const QString &screen)
{
    const Recipe &recipe = recipes().at(screen);
    scene.start(recipe.remote, recipe.hosting);
    if (!scene.settle(recipe.meetHost, recipe.paired))
        return false;
    recipe.make(scene);
    QWidget *window = scene.window.get();
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        return false;
    if (!recipe.then)
        return true;
    const bool changed = recipe.then(scene);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return changed;
}

} // namespace WindowScenes

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/DeckIdeas.h"

using namespace Quorvel;
using namespace EditorTest;

Q_DECLARE_METATYPE(std::vector<Quorvel::HostCatalog::App>)

namespace {

using Item = HostCatalog::AppControls::Item;

const QString freeDiskCommand = QStringLiteral("df -h / | awk 'NR==2 {print $4}'");

Item item(const QString &id, const QString &name, const QString &kind)
{
    return Item{id, name, kind, std::nullopt, false, std::nullopt, std::nullopt};
}

HostCatalog::AppControls offer(const QString &app, bool running, std::vector<Item> items)
{
    HostCatalog::AppControls made;
    made.app = app;
    made.name = app.section(u'.', -1);
    made.isRunning = running;
    made.controls = std::move(items);
    return made;
}

HostCatalog::App installed(const QString &name, const QString &entry)
{
    return {name, "/usr/share/applications/" + entry, entry};
}

QStringList idsOf(const std::vector<DeckIdeas::Idea> &ideas)
{
    QStringList ids;
    for (const DeckIdeas::Idea &idea : ideas)
        ids.append(idea.id);
    return ids;
}

QStringList labelsOf(const std::vector<DeckIdeas::Idea> &ideas)
{
    QStringList labels;
    for (const DeckIdeas::Idea &idea : ideas)
        labels.append(idea.label);
    return labels;
}

std::vector<Control> usingTarget(const QString &target, bool asCheck = false)
{
    Control used = control("used", "Used", ControlType::button);
    if (asCheck)
        used.statusCheck = check(StatusCheck::Kind::shellOutput, target);
    else
        used.action = action(Action::Kind::shell, target);
    return {used};
}

} // namespace

// Ready-made actions suggested from what a host offers.
class DeckIdeasTest : public QObject {
    Q_OBJECT

private slots:
    void noCatalogNoIdeas()
    {
        QVERIFY(DeckIdeas::ideas(std::nullopt, {}).empty());
        QVERIFY(DeckIdeas::ideas(std::nullopt, usingTarget("x")).empty());
    }

    void emptyCatalogOffersTheDiskReadout()
    {
        const auto ideas = DeckIdeas::ideas(HostCatalog{}, {});
        QCOMPARE(idsOf(ideas), QStringList{"disk"});
        QCOMPARE(ideas.front().label, QString("Free disk space"));
        Control disk = control("free_disk_space", "Free disk space", ControlType::metric);
        disk.icon = "internaldrive";
        disk.statusCheck = check(StatusCheck::Kind::shellOutput, freeDiskCommand, 60);
        QCOMPARE(ideas.front().control, disk);
    }

    void diskReadoutOnlyWhenNoCheckShowsIt_data()
    {
        QTest::addColumn<bool>("asCheck");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("shown by a check") << true << QStringList{};
        QTest::newRow("run only as an action") << false << QStringList{"disk"};
    }
    void diskReadoutOnlyWhenNoCheckShowsIt()
    {
        QFETCH(bool, asCheck);
        QFETCH(QStringList, ids);
        QCOMPARE(idsOf(DeckIdeas::ideas(HostCatalog{}, usingTarget(freeDiskCommand, asCheck))),
                 ids);
    }

    void offersSwitchesOfRunningApps()
    {
        HostCatalog catalog;
        catalog.appControls = {offer("org.x.Stopped", false, {item("power", "Power", "toggle")}),
                               offer("org.x.Mixer", true,
                                     {item("go", "Go", "button"), item("vol", "Volume", "level"),
                                      item("mute", "Mute", "toggle")})};
        const auto ideas = DeckIdeas::ideas(catalog, {});
        QCOMPARE(labelsOf(ideas), (QStringList{"Switch for Mute", "Free disk space"}));
        QCOMPARE(ideas.front().control.onAction, appControlAction("org.x.Mixer", "mute", "on"));
        QCOMPARE(ideas.front().control.icon, std::optional<QString>("switch.2"));
    }

    void skipsSwitchesAlreadyBound()
    {
        HostCatalog catalog;
        catalog.appControls = {offer("org.x.Mixer", true, {item("mute", "Mute", "toggle")}),
                               offer("org.x.Desk", true, {item("lamp", "Lamp", "toggle")})};
        Control bound = control("mute", "Mute", ControlType::toggle);
        bound.onAction = appControlAction("org.x.Mixer", "mute", "on");
        bound.offAction = appControlAction("org.x.Mixer", "mute", "off");
        bound.statusCheck =
            check(StatusCheck::Kind::appControl, "org.x.Mixer", std::nullopt, "mute");
        QCOMPARE(labelsOf(DeckIdeas::ideas(catalog, {bound})).value(0), QString("Switch for Lamp"));

        Control partly = bound;
        partly.statusCheck = check(StatusCheck::Kind::shellExitCode, "true");
        QCOMPARE(labelsOf(DeckIdeas::ideas(catalog, {partly})).value(0),
                 QString("Switch for Mute"));
    }

    void choosesAnApp_data()
    {
        QTest::addColumn<std::vector<HostCatalog::App>>("apps");
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<QString>("usedTarget");
        QTest::addColumn<QString>("label");
        const std::vector<HostCatalog::App> players{
            installed("Rhythmbox", "org.gnome.Rhythmbox3.desktop"),
            installed("Spotify", "spotify.desktop")};
        QTest::newRow("first preferred") << players << QStringList{} << ""
                                         << "Switch for Rhythmbox";
        QTest::newRow("preferred one in use") << players << QStringList{} << "Rhythmbox"
                                              << "Switch for Spotify";
        const std::vector<HostCatalog::App> others{
            installed("Quorvel", "com.vantrel.quorvel.desktop"),
            installed("Gedit", "org.gnome.gedit.desktop")};
        QTest::newRow("running app, not this one")
            << others << QStringList{"Quorvel", "Terminal", "Gedit"} << ""
            << "Switch for Gedit";
        QTest::newRow("running but not installed") << others << QStringList{"Terminal"} << ""
                                                   << "";
        QTest::newRow("running app in use") << others << QStringList{"Gedit"} << "Gedit"
                                            << "";
    }
    void choosesAnApp()
    {
        QFETCH(std::vector<HostCatalog::App>, apps);
        QFETCH(QStringList, running);
        QFETCH(QString, usedTarget);
        QFETCH(QString, label);
        HostCatalog catalog;
        catalog.apps = apps;
        catalog.runningApps = running;
        const auto existing =
            usedTarget.isEmpty() ? std::vector<Control>{} : usingTarget(usedTarget);
        const auto ideas = DeckIdeas::ideas(catalog, existing);
        const auto app = std::find_if(ideas.cbegin(), ideas.cend(),
                                      [](const DeckIdeas::Idea &idea) { return idea.id == "app"; });
        QCOMPARE(app == ideas.cend() ? QString() : app->label, label);
    }

    void appSwitchQuitsWithAShortcutWhenThereIsOne_data()
    {
        QTest::addColumn<QStringList>("shortcuts");
        QTest::addColumn<Action>("offAction");
        QTest::newRow("shortcut") << QStringList{"CLOSE spotify"}
                                  << action(Action::Kind::shortcut, "CLOSE spotify", 30);
        QTest::newRow("quit form")
            << QStringList{}
            << action(Action::Kind::applescript, "tell application \"Spotify\" to quit");
    }
    void appSwitchQuitsWithAShortcutWhenThereIsOne()
    {
        QFETCH(QStringList, shortcuts);
        QFETCH(Action, offAction);
        HostCatalog catalog;
        catalog.apps = {installed("Spotify", "spotify.desktop")};
        catalog.shortcuts = shortcuts;
        // The quit shortcut is in use, so it is not offered as a button of its own.
        std::vector<Control> existing =
            shortcuts.isEmpty() ? std::vector<Control>{} : usingTarget(shortcuts.front());
        const auto ideas = DeckIdeas::ideas(catalog, existing);
        QCOMPARE(ideas.front().id, QString("app"));
        QCOMPARE(ideas.front().control.offAction, std::optional(offAction));
        QCOMPARE(ideas.front().control.statusCheck,
                 std::optional(check(StatusCheck::Kind::processRunning, "Spotify")));
    }

    void choosesAShortcut_data()
    {
        QTest::addColumn<QStringList>("shortcuts");
        QTest::addColumn<QString>("usedTarget");
        QTest::addColumn<QString>("label");
        QTest::newRow("untitled ones skipped")
            << QStringList{"New Shortcut", "New Shortcut 2", "Morning"} << ""
            << "Button for Morning";
        QTest::newRow("lower case is a real name") << QStringList{"new shortcut"} << ""
                                                   << "Button for new shortcut";
        QTest::newRow("in use") << QStringList{"Morning", "Evening"} << "Morning"
                                << "Button for Evening";
    }
    void choosesAShortcut()
    {
        QFETCH(QStringList, shortcuts);
        QFETCH(QString, usedTarget);
        QFETCH(QString, label);
        HostCatalog catalog;
        catalog.shortcuts = shortcuts;
        const auto existing =
            usedTarget.isEmpty() ? std::vector<Control>{} : usingTarget(usedTarget);
        const auto ideas = DeckIdeas::ideas(catalog, existing);
        QCOMPARE(ideas.front().label, label);
        QCOMPARE(ideas.front().control.action,
                 std::optional(
                     action(Action::Kind::shortcut, label.mid(QString("Button for ").size()))));
    }

    void showsAtMostThree()
    {
        HostCatalog catalog;
        catalog.appControls = {offer("org.x.Mixer", true, {item("mute", "Mute", "toggle")})};
        catalog.apps = {installed("Firefox ESR", "firefox-esr.desktop")};
        catalog.shortcuts = {"Morning"};
        const auto ideas = DeckIdeas::ideas(catalog, {});
        QCOMPARE(idsOf(ideas), (QStringList{"appControl", "app", "shortcut"}));
    }

    void idsAvoidTheDeckOnly()
    {
        HostCatalog catalog;
        catalog.shortcuts = {"Morning"};
        Control taken = control("morning", "Other", ControlType::button);
        taken.action = action(Action::Kind::shell, "true");
        const auto ideas = DeckIdeas::ideas(catalog, {taken});
        QCOMPARE(ideas.front().control.id, QString("morning_2"));
    }
};

QTEST_GUILESS_MAIN(DeckIdeasTest)
#include "DeckIdeasTest.moc"

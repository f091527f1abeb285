#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionProblems.h"
#include "QuorvelClientUI/Editor/MissingTarget.h"

using namespace Quorvel;
using namespace EditorTest;

Q_DECLARE_METATYPE(std::optional<Quorvel::HostInfo>)

namespace {

const QString tail = QStringLiteral("\u201d, so this would fail.");

HostInfo studio()
{
    return HostInfo{"Studio", "1.0", true};
}

Control button(const QString &id, const QString &title, const Action &pressed)
{
    Control made = control(id, title, ControlType::button);
    made.action = pressed;
    return made;
}

} // namespace

// What an action needs that the host lacks, and the problems a card shows for one action.
class MissingTargetTest : public QObject {
    Q_OBJECT

private slots:
    void findsMissingTargets_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<std::optional<QString>>("missing");
        using K = Action::Kind;
        const std::optional<QString> none;
        const auto named = [](const QString &name) { return std::optional<QString>(name); };
        QTest::newRow("app by name") << action(K::app, "Rhythmbox") << none;
        QTest::newRow("app by name, other case") << action(K::app, "rhythmbox") << none;
        QTest::newRow("app by entry id") << action(K::app, "firefox-esr.desktop") << none;
        QTest::newRow("app by entry id without suffix") << action(K::app, "firefox-esr") << none;
        QTest::newRow("app by entry id, other case")
            << action(K::app, "Firefox-ESR.desktop") << named("Firefox-ESR.desktop");
        QTest::newRow("app by entry id without suffix, other case")
            << action(K::app, "org.gnome.rhythmbox3") << named("org.gnome.rhythmbox3");
        QTest::newRow("quit form by entry id, other case")
            << action(K::applescript, "tell application \"Firefox-ESR\" to quit") << none;
        QTest::newRow("app by file name") << action(K::app, "firefox-esr.desktop.desktop")
                                          << named("firefox-esr.desktop.desktop");
        QTest::newRow("app not installed") << action(K::app, "Spotify") << named("Spotify");
        QTest::newRow("app, blanks kept") << action(K::app, " Rhythmbox") << named(" Rhythmbox");
        QTest::newRow("app, empty") << action(K::app, "") << none;
        QTest::newRow("open -a installed") << action(K::shell, "open -a 'Firefox ESR'") << none;
        QTest::newRow("open -a missing")
            << action(K::shell, "open -a \"OBS Studio\"") << named("OBS Studio");
        QTest::newRow("other command") << action(K::shell, "open -a Spotify --new") << none;
        QTest::newRow("quit form installed")
            << action(K::applescript, "tell application \"Rhythmbox\" to quit") << none;
        QTest::newRow("quit form missing")
            << action(K::applescript, " tell application \"Spotify\" to quit ") << named("Spotify");
        QTest::newRow("quit form, other words")
            << action(K::applescript, "tell application \"Spotify\" to activate") << none;
        QTest::newRow("quit form, other case")
            << action(K::applescript, "Tell application \"Spotify\" to quit") << none;
        QTest::newRow("script") << action(K::script, "/opt/Spotify") << none;
        QTest::newRow("shortcut listed") << action(K::shortcut, "Morning") << none;
        QTest::newRow("shortcut missing") << action(K::shortcut, "Evening") << named("Evening");
        QTest::newRow("shortcut, other case") << action(K::shortcut, "morning") << named("morning");
        QTest::newRow("offered control") << appControlAction("a.b.Player", "mute", "on") << none;
        QTest::newRow("control not offered")
            << appControlAction("a.b.Player", "solo", "on") << named("solo in Player Pro");
        QTest::newRow("app offers nothing")
            << appControlAction("org.x.Mixer", "fader", "on") << named("fader in Mixer");
        QTest::newRow("no control named") << appControlAction("a.b.Player", std::nullopt, "on")
                                          << named("a control in Player Pro");
    }
    void findsMissingTargets()
    {
        QFETCH(Action, action);
        QFETCH(std::optional<QString>, missing);
        QCOMPARE(missingTarget(action, studioCatalog()), missing);
        QCOMPARE(missingTarget(action, std::nullopt), std::optional<QString>());
    }

    void offeredControlsNeedNotRun()
    {
        HostCatalog catalog = studioCatalog();
        catalog.appControls.front().isRunning = false;
        QCOMPARE(missingAppControl("a.b.Player", QString("mute"), catalog),
                 std::optional<QString>());
    }

    void emptyCatalogLacksEveryApp()
    {
        QCOMPARE(missingTarget(action(Action::Kind::app, "Rhythmbox"), HostCatalog{}),
                 std::optional<QString>("Rhythmbox"));
        QCOMPARE(missingAppControl("a.b.Player", QString("mute"), HostCatalog{}),
                 std::optional<QString>("mute in Player"));
    }

    void listsProblemsOfOneAction_data()
    {
        QTest::addColumn<Control>("subject");
        QTest::addColumn<QStringList>("rowIDs");
        QTest::addColumn<std::optional<HostInfo>>("hostInfo");
        QTest::addColumn<QStringList>("problems");

        Control half = control("lamp", "Lamp", ControlType::toggle);
        half.onAction = action(Action::Kind::shell, "   ");
        QTest::newRow("half a switch")
            << half << QStringList{"lamp"} << std::optional(studio())
            << QStringList{"Choose what turning it on does.", "off_action is missing",
                           "toggles need a status_check so they can show on or off"};

        const Control untitled = button("lamp", "", action(Action::Kind::shell, "true"));
        QTest::newRow("no title") << untitled << QStringList{"lamp"} << std::optional(studio())
                                  << QStringList{"Give it a name."};
        Control anonymous = untitled;
        anonymous.id = "";
        QTest::newRow("no id") << anonymous << QStringList{""} << std::optional(studio())
                               << QStringList{"action #1: It needs an ID (Advanced).",
                                              "action #1: Give it a name."};

        Control slow = control("load", "Load", ControlType::metric);
        slow.statusCheck = check(StatusCheck::Kind::shellOutput, "uptime", 0.5);
        QTest::newRow("short interval")
            << slow << QStringList{"load"} << std::optional(studio())
            << QStringList{"status_check interval must be at least 1 second"};

        const Control morning = button("go", "Go", action(Action::Kind::shortcut, "Evening"));
        QTest::newRow("shared id, then the missing shortcut")
            << morning << QStringList{"go", "x", "go"} << std::optional(studio())
            << QStringList{"Another action uses the same ID. Change one in Advanced.",
                           "Studio doesn't have a shortcut called \u201cEvening" + tail};
        QTest::newRow("shared id in another normalisation")
            << button("caf\u00e9", "Caf\u00e9", action(Action::Kind::shell, "true"))
            << QStringList{"caf\u00e9", "cafe\u0301"} << std::optional(studio())
            << QStringList{"Another action uses the same ID. Change one in Advanced."};
        QTest::newRow("without host info")
            << morning << QStringList{"go"} << std::optional<HostInfo>()
            << QStringList{"the host doesn't have a shortcut called \u201cEvening" + tail};

        Control both = control("s", "S", ControlType::toggle);
        both.onAction = action(Action::Kind::app, "Spotify");
        both.offAction = appControlAction("a.b.Player", "solo", "off");
        both.statusCheck = check(StatusCheck::Kind::processRunning, "Spotify");
        QTest::newRow("an app and a control")
            << both << QStringList{"s"} << std::optional(studio())
            << QStringList{"Studio doesn't have an app called \u201cSpotify" + tail,
                           "Studio doesn't have an app called \u201csolo in Player Pro" + tail};

        Control opensAndQuits = control("sono", "SonoBus", ControlType::toggle);
        opensAndQuits.onAction = action(Action::Kind::app, "SonoBus");
        opensAndQuits.offAction =
            action(Action::Kind::applescript, "tell application \"SonoBus\" to quit");
        opensAndQuits.statusCheck = check(StatusCheck::Kind::processRunning, "SonoBus");
        QTest::newRow("one app opened and quit")
            << opensAndQuits << QStringList{"sono"} << std::optional(studio())
            << QStringList{"Studio doesn't have an app called \u201cSonoBus" + tail};

        QTest::newRow("fine") << button("go", "Go", action(Action::Kind::app, "rhythmbox"))
                              << QStringList{"go"} << std::optional(studio()) << QStringList{};
    }
    void listsProblemsOfOneAction()
    {
        QFETCH(Control, subject);
        QFETCH(QStringList, rowIDs);
        QFETCH(std::optional<HostInfo>, hostInfo);
        QFETCH(QStringList, problems);
        QCOMPARE(actionProblems(subject, rowIDs, studioCatalog(), hostInfo), problems);
    }

    void saysNothingOfTargetsBeforeTheCatalog()
    {
        const Control morning = button("go", "Go", action(Action::Kind::shortcut, "Evening"));
        QCOMPARE(actionProblems(morning, {"go"}, std::nullopt, studio()), QStringList{});
    }
};

QTEST_GUILESS_MAIN(MissingTargetTest)
#include "MissingTargetTest.moc"

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"

using namespace Quorvel;
using namespace EditorTest;

Q_DECLARE_METATYPE(std::optional<Quorvel::ValuePreset>)
Q_DECLARE_METATYPE(std::optional<Quorvel::AppControlBinding>)

namespace {

const QString freeDiskCommand = QStringLiteral("df -h / | awk 'NR==2 {print $4}'");

Action quitForm(const QString &app)
{
    return action(Action::Kind::applescript, "tell application \"" + app + "\" to quit");
}

} // namespace

// The complete actions the editor makes: ready-made readouts, app switches, shortcut buttons,
// commands and other applications' controls.
class ActionMakersTest : public QObject {
    Q_OBJECT

private slots:
    void presetsHaveTheirParts_data()
    {
        QTest::addColumn<QString>("rawValue");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("interval");
        QTest::newRow("free disk")
            << "freeDisk"
            << "Free disk space" << freeDiskCommand << "internaldrive" << 60.0;
        QTest::newRow("uptime") << "uptime"
                                << "Uptime"
                                << "uptime -p | sed 's/^up //'"
                                << "clock" << 30.0;
        QTest::newRow("load") << "load"
                              << "Load average"
                              << "cut -d ' ' -f 1 /proc/loadavg"
                              << "gauge.with.dots.needle.50percent" << 10.0;
    }
    void presetsHaveTheirParts()
    {
        QFETCH(QString, rawValue);
        QFETCH(QString, title);
        QFETCH(QString, command);
        QFETCH(QString, symbol);
        QFETCH(double, interval);
        const std::optional<ValuePreset> preset = ValuePreset::fromRawValue(rawValue);
        QVERIFY(preset);
        QCOMPARE(preset->rawValue(), rawValue);
        QCOMPARE(preset->title(), title);
        QCOMPARE(preset->command(), command);
        QCOMPARE(preset->symbol(), symbol);
        QCOMPARE(preset->interval(), interval);
        QCOMPARE(ValuePreset::fromCommand(command), preset);
    }

    void presetsAreFoundByCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<std::optional<ValuePreset>>("preset");
        const std::optional<ValuePreset> none;
        QTest::newRow("trailing line break") << freeDiskCommand + "\n"
                                             << std::optional(ValuePreset::freeDisk());
        QTest::newRow("other column") << "df -h / | awk 'NR==2 {print $3}'" << none;
        QTest::newRow("one more space") << "df -h /  | awk 'NR==2 {print $4}'" << none;
        QTest::newRow("older uptime") << "uptime | sed -E 's/.*up ([^,]*,[^,]*),.*/\\1/'"
                                      << std::optional(ValuePreset::uptime());
        QTest::newRow("older load")
            << "sysctl -n vm.loadavg | awk '{print $2}'" << std::optional(ValuePreset::load());
        QTest::newRow("empty") << "" << none;
    }
    void presetsAreFoundByCommand()
    {
        QFETCH(QString, command);
        QFETCH(std::optional<ValuePreset>, preset);
        QCOMPARE(ValuePreset::fromCommand(command), preset);
    }

    void rawValuesAreExact()
    {
        QStringList rawValues;
        for (const ValuePreset &preset : ValuePreset::all())
            rawValues.append(preset.rawValue());
        QCOMPARE(rawValues, (QStringList{"freeDisk", "uptime", "load"}));
        QVERIFY(!ValuePreset::fromRawValue("FreeDisk"));
        QVERIFY(!ValuePreset::fromRawValue("free_disk"));
    }

    void quitsApps_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<std::optional<double>>("timeout");
        QTest::addColumn<Action>("quit");
        QTest::newRow("plain") << "Music" << std::optional<double>() << quitForm("Music");
        QTest::newRow("with a time-out")
            << "Firefox ESR" << std::optional<double>(5)
            << action(Action::Kind::applescript, "tell application \"Firefox ESR\" to quit", 5);
        // Between the quotes these would end the script or run more of it.
        QTest::newRow("quote") << "My \"App\"" << std::optional<double>()
                               << action(Action::Kind::shortcut, "");
        QTest::newRow("backslash")
            << "A\\" << std::optional<double>() << action(Action::Kind::shortcut, "");
        QTest::newRow("line break")
            << "A\" to quit\ndo shell script \"rm -rf ~" << std::optional<double>()
            << action(Action::Kind::shortcut, "");
    }
    void quitsApps()
    {
        QFETCH(QString, app);
        QFETCH(std::optional<double>, timeout);
        QFETCH(Action, quit);
        QCOMPARE(quitAppScript(app, timeout), quit);
    }

    void findsQuitShortcuts_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QStringList>("shortcuts");
        QTest::addColumn<std::optional<QString>>("shortcut");
        QTest::newRow("first that quits")
            << "Music" << QStringList{"Play Music", "Music Stop", "Quit Music"}
            << std::optional<QString>("Music Stop");
        QTest::newRow("other app")
            << "Music" << QStringList{"Quit Safari"} << std::optional<QString>();
        QTest::newRow("any case") << "OBS Studio" << QStringList{"CLOSE obs studio now"}
                                  << std::optional<QString>("CLOSE obs studio now");
        QTest::newRow("no quit word")
            << "Music" << QStringList{"Music Pause"} << std::optional<QString>();
        QTest::newRow("none") << "Music" << QStringList{} << std::optional<QString>();
    }
    void findsQuitShortcuts()
    {
        QFETCH(QString, app);
        QFETCH(QStringList, shortcuts);
        QFETCH(std::optional<QString>, shortcut);
        QCOMPARE(quitShortcut(app, shortcuts), shortcut);
    }

    void makesControls_data()
    {
        QTest::addColumn<Control>("made");
        QTest::addColumn<Control>("expected");
        const QSet<QString> none;

        Control music = control("music", "Music", ControlType::toggle);
        music.icon = "power.circle";
        music.onAction = action(Action::Kind::app, "Music");
        music.offAction = quitForm("Music");
        music.statusCheck = check(StatusCheck::Kind::processRunning, "Music");
        QTest::newRow("app switch") << appSwitchControl("Music", std::nullopt, none) << music;

        Control byShortcut = music;
        byShortcut.offAction = action(Action::Kind::shortcut, "Quit Music", 30);
        QTest::newRow("app switch with a quit shortcut")
            << appSwitchControl("Music", QString("Quit Music"), none) << byShortcut;

        Control quoted = control("my_app", "My \"App\"", ControlType::toggle);
        quoted.icon = "power.circle";
        quoted.onAction = action(Action::Kind::app, "My \"App\"");
        quoted.offAction = action(Action::Kind::shortcut, "");
        quoted.statusCheck = check(StatusCheck::Kind::processRunning, "My \"App\"");
        QTest::newRow("app switch for a name the quit form can't hold")
            << appSwitchControl("My \"App\"", std::nullopt, none) << quoted;

        Control morning = control("morning_2", "Morning", ControlType::button);
        morning.icon = "play.square";
        morning.action = action(Action::Kind::shortcut, "Morning");
        QTest::newRow("shortcut button")
            << shortcutButtonControl("Morning", {"morning"}) << morning;

        Control uptime = control("uptime", "Uptime", ControlType::metric);
        uptime.icon = "clock";
        uptime.statusCheck =
            check(StatusCheck::Kind::shellOutput, "uptime -p | sed 's/^up //'", 30);
        QTest::newRow("preset readout")
            << presetReadoutControl(ValuePreset::uptime(), "ignored", none, 99) << uptime;

        Control value = control("value_2", "", ControlType::metric);
        value.icon = "gauge.with.dots.needle.50percent";
        value.statusCheck = check(StatusCheck::Kind::shellOutput, "date", 15);
        QTest::newRow("command readout")
            << presetReadoutControl(std::nullopt, "date", {"value"}, 15) << value;

        Control command = control("command_2", "", ControlType::button);
        command.icon = "terminal";
        command.action = action(Action::Kind::script, "/usr/local/bin/x");
        QTest::newRow("command button")
            << commandControl(Action::Kind::script, "/usr/local/bin/x", {"command"}) << command;
    }
    void makesControls()
    {
        QFETCH(Control, made);
        QFETCH(Control, expected);
        QCOMPARE(made, expected);
    }

    void makesControlsFromOffers_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::optional<Control>>("expected");
        const QString app = "a.b.Player";

        Control toggle = control("main_out_2", "Main Out", ControlType::toggle);
        toggle.icon = "switch.2";
        toggle.onAction = appControlAction(app, "main", "on");
        toggle.offAction = appControlAction(app, "main", "off");
        toggle.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "main");
        QTest::newRow("toggle") << "toggle" << std::optional(toggle);

        Control button = control("main_out_2", "Main Out", ControlType::button);
        button.icon = "hand.tap";
        button.action = appControlAction(app, "main", "press");
        QTest::newRow("button") << "button" << std::optional(button);

        Control level = control("main_out_2", "Main Out", ControlType::metric);
        level.icon = "gauge.with.dots.needle.50percent";
        level.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "main");
        QTest::newRow("level") << "level" << std::optional(level);

        QTest::newRow("meter") << "meter" << std::optional<Control>();
    }
    void makesControlsFromOffers()
    {
        QFETCH(QString, kind);
        QFETCH(std::optional<Control>, expected);
        const HostCatalog::AppControls::Item item{"main", "Main Out",   kind,        std::nullopt,
                                                  false,  std::nullopt, std::nullopt};
        QCOMPARE(controlFromAppOffer(item, "a.b.Player", {"main_out"}), expected);
    }

    void useAppControlReplacesEveryPart()
    {
        Control button = control("b", "B", ControlType::button);
        button.icon = "star";
        button.action = action(Action::Kind::shell, "true", 3);
        button.onAction = action(Action::Kind::app, "X");
        useAppControl(button, "a.b.Player", "volume", ControlType::metric);
        Control expected = control("b", "B", ControlType::metric);
        expected.icon = "star";
        expected.statusCheck =
            check(StatusCheck::Kind::appControl, "a.b.Player", std::nullopt, "volume");
        QCOMPARE(button, expected);
    }

    void findsBindings_data()
    {
        QTest::addColumn<Control>("subject");
        QTest::addColumn<std::optional<AppControlBinding>>("binding");
        const QString app = "a.b.Player";
        const std::optional<AppControlBinding> none;
        const std::optional<AppControlBinding> mute = AppControlBinding{app, "mute"};

        Control bound = control("s", "S", ControlType::toggle);
        bound.onAction = appControlAction(app, "mute", "on");
        bound.offAction = appControlAction(app, "mute", "off");
        bound.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "mute");
        QTest::newRow("switch") << bound << mute;

        Control shellCheck = bound;
        shellCheck.statusCheck = check(StatusCheck::Kind::shellExitCode, "true");
        QTest::newRow("switch with a shell check") << shellCheck << none;

        Control otherItem = bound;
        otherItem.offAction = appControlAction(app, "solo", "off");
        QTest::newRow("two items") << otherItem << none;

        Control readout = control("r", "R", ControlType::metric);
        readout.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "mute");
        QTest::newRow("readout") << readout << mute;

        Control noItem = control("b", "B", ControlType::button);
        noItem.action = appControlAction(app, std::nullopt, "press");
        QTest::newRow("button without an item") << noItem << none;

        Control emptyApp = control("b", "B", ControlType::button);
        emptyApp.action = appControlAction("", "mute", "press");
        QTest::newRow("button without an app") << emptyApp << none;

        QTest::newRow("no parts") << control("e", "E", ControlType::button) << none;
    }
    void findsBindings()
    {
        QFETCH(Control, subject);
        QFETCH(std::optional<AppControlBinding>, binding);
        QCOMPARE(appControlBinding(subject), binding);
    }
};

QTEST_GUILESS_MAIN(ActionMakersTest)
#include "ActionMakersTest.moc"

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ControlTypeChange.h"
#include "QuorvelClientUI/Editor/EditableControl.h"

using namespace Quorvel;
using namespace EditorTest;

namespace {

const QString freeDiskCommand = QStringLiteral("df -h / | awk 'NR==2 {print $4}'");

StatusCheck freeDisk()
{
    return check(StatusCheck::Kind::shellOutput, freeDiskCommand, 60);
}

StatusCheck running(const QString &app)
{
    return check(StatusCheck::Kind::processRunning, app);
}

Action quitForm(const QString &app)
{
    return action(Action::Kind::applescript, "tell application \"" + app + "\" to quit");
}

} // namespace

// Rows of the working copy, and what choosing another type does to an action.
class ControlTypeChangeTest : public QObject {
    Q_OBJECT

private slots:
    void rowsKnowWhetherTheyChanged()
    {
        const Control lamp = control("lamp", "Lamp", ControlType::button);
        const EditableControl added = EditableControl::added(lamp);
        QVERIFY(added.isNew());
        QVERIFY(added.isChanged());

        EditableControl loaded = EditableControl::loaded(lamp);
        QVERIFY(!loaded.isNew());
        QVERIFY(!loaded.isChanged());
        QVERIFY(loaded.id != added.id);
        loaded.control.title = "Desk lamp";
        QVERIFY(loaded.isChanged());
        loaded.control.title = "Lamp";
        QVERIFY(!loaded.isChanged());

        const EditableControl copy = loaded;
        QCOMPARE(copy, loaded);
        EditableControl other = loaded;
        other.id = QUuid::createUuid();
        QVERIFY(!(other == loaded));
    }

    void changesType_data()
    {
        QTest::addColumn<Control>("before");
        QTest::addColumn<ControlType>("type");
        QTest::addColumn<Control>("after");
        const QString app = "a.b.Player";

        Control safari = control("s", "Safari", ControlType::button);
        safari.action = action(Action::Kind::shell, "open -a Safari");
        Control safariSwitch = safari;
        safariSwitch.type = ControlType::toggle;
        safariSwitch.onAction = safari.action;
        safariSwitch.offAction = quitForm("Safari");
        safariSwitch.statusCheck = running("Safari");
        QTest::newRow("open command to switch") << safari << ControlType::toggle << safariSwitch;

        Control quoted = safari;
        quoted.action = action(Action::Kind::shell, "open -a 'Firefox ESR'");
        Control quotedSwitch = quoted;
        quotedSwitch.type = ControlType::toggle;
        quotedSwitch.onAction = quoted.action;
        quotedSwitch.offAction = quitForm("Firefox ESR");
        quotedSwitch.statusCheck = running("Firefox ESR");
        QTest::newRow("quoted name to switch") << quoted << ControlType::toggle << quotedSwitch;

        Control withArguments = safari;
        withArguments.action = action(Action::Kind::shell, "open -a Safari --args x");
        Control argumentsSwitch = withArguments;
        argumentsSwitch.type = ControlType::toggle;
        argumentsSwitch.onAction = withArguments.action;
        argumentsSwitch.offAction = action(Action::Kind::shortcut, "");
        argumentsSwitch.statusCheck = running("");
        QTest::newRow("command with arguments to switch")
            << withArguments << ControlType::toggle << argumentsSwitch;

        const Control bare = control("b", "B", ControlType::button);
        Control bareSwitch = bare;
        bareSwitch.type = ControlType::toggle;
        bareSwitch.onAction = action(Action::Kind::app, "");
        bareSwitch.offAction = action(Action::Kind::shortcut, "");
        bareSwitch.statusCheck = running("");
        QTest::newRow("empty button to switch") << bare << ControlType::toggle << bareSwitch;

        Control bareButton = bare;
        bareButton.action = action(Action::Kind::shortcut, "");
        QTest::newRow("empty button chosen again") << bare << ControlType::button << bareButton;

        // The quit form can't hold this name; the off action is left for the user to choose.
        Control quoteApp = control("q", "Q", ControlType::button);
        quoteApp.action = action(Action::Kind::app, "My \"App\"");
        Control quoteSwitch = quoteApp;
        quoteSwitch.type = ControlType::toggle;
        quoteSwitch.onAction = quoteApp.action;
        quoteSwitch.offAction = action(Action::Kind::shortcut, "");
        quoteSwitch.statusCheck = running("My \"App\"");
        QTest::newRow("name with a quote to switch")
            << quoteApp << ControlType::toggle << quoteSwitch;

        Control toReadout = safariSwitch;
        toReadout.type = ControlType::metric;
        toReadout.statusCheck = freeDisk();
        QTest::newRow("switch to readout") << safariSwitch << ControlType::metric << toReadout;
        QTest::newRow("and back to switch") << toReadout << ControlType::toggle << safariSwitch;

        Control switchToButton = safariSwitch;
        switchToButton.type = ControlType::button;
        QTest::newRow("switch to button keeps its parts")
            << safariSwitch << ControlType::button << switchToButton;

        Control onlyOn = control("o", "O", ControlType::toggle);
        onlyOn.onAction = action(Action::Kind::app, "Rhythmbox");
        onlyOn.statusCheck = running("Rhythmbox");
        Control onlyOnButton = onlyOn;
        onlyOnButton.type = ControlType::button;
        onlyOnButton.action = onlyOn.onAction;
        QTest::newRow("switch to button takes the on action")
            << onlyOn << ControlType::button << onlyOnButton;

        Control runningReadout = control("r", "R", ControlType::metric);
        runningReadout.statusCheck = running("Rhythmbox");
        Control defaultReadout = runningReadout;
        defaultReadout.statusCheck = freeDisk();
        QTest::newRow("readout chosen again replaces an on/off check")
            << runningReadout << ControlType::metric << defaultReadout;

        Control outputReadout = control("r", "R", ControlType::metric);
        outputReadout.statusCheck = check(StatusCheck::Kind::shellOutput, "date", 5);
        QTest::newRow("readout chosen again keeps its command")
            << outputReadout << ControlType::metric << outputReadout;

        // The check says where the value comes from even while the item is not chosen yet.
        Control unboundReadout = control("r", "R", ControlType::metric);
        unboundReadout.statusCheck = check(StatusCheck::Kind::appControl, app);
        QTest::newRow("readout chosen again keeps an unfinished app control check")
            << unboundReadout << ControlType::metric << unboundReadout;

        Control exitSwitch = onlyOn;
        exitSwitch.offAction = action(Action::Kind::shell, "pkill x");
        exitSwitch.statusCheck = check(StatusCheck::Kind::shellExitCode, "pgrep x");
        QTest::newRow("switch chosen again keeps its exit-code check")
            << exitSwitch << ControlType::toggle << exitSwitch;

        Control boundSwitch = control("m", "Mute", ControlType::toggle);
        boundSwitch.onAction = appControlAction(app, "mute", "on");
        boundSwitch.onAction->timeout = 4;
        boundSwitch.offAction = appControlAction(app, "mute", "off");
        boundSwitch.offAction->timeout = 4;
        boundSwitch.statusCheck = check(StatusCheck::Kind::appControl, app, 9, "mute");
        Control boundButton = control("m", "Mute", ControlType::button);
        boundButton.action = appControlAction(app, "mute", "press");
        QTest::newRow("bound switch to button")
            << boundSwitch << ControlType::button << boundButton;
        Control boundAgain = control("m", "Mute", ControlType::toggle);
        boundAgain.onAction = appControlAction(app, "mute", "on");
        boundAgain.offAction = appControlAction(app, "mute", "off");
        boundAgain.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "mute");
        QTest::newRow("bound button to switch") << boundButton << ControlType::toggle << boundAgain;
        Control boundReadout = control("m", "Mute", ControlType::metric);
        boundReadout.statusCheck = boundAgain.statusCheck;
        QTest::newRow("bound switch to readout")
            << boundSwitch << ControlType::metric << boundReadout;

        Control mixed = boundAgain;
        mixed.offAction = appControlAction(app, "solo", "off");
        Control mixedButton = mixed;
        mixedButton.type = ControlType::button;
        mixedButton.action = mixed.onAction;
        QTest::newRow("two items are not bound") << mixed << ControlType::button << mixedButton;
    }
    void changesType()
    {
        QFETCH(Control, before);
        QFETCH(ControlType, type);
        QFETCH(Control, after);
        Control changed = before;
        changingType(changed, type);
        QCOMPARE(changed, after);
    }
};

QTEST_GUILESS_MAIN(ControlTypeChangeTest)
#include "ControlTypeChangeTest.moc"

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionEditing.h"
#include "QuorvelClientUI/Editor/ActionMakers.h"

using namespace Quorvel;
using namespace EditorTest;

using Choice = ActionEditing::Choice;
Q_DECLARE_METATYPE(Quorvel::ActionEditing::Choice)

class ActionEditingTest : public QObject {
    Q_OBJECT

private slots:
    void reading_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QString>("app");
        QTest::addColumn<bool>("canTry");
        QTest::newRow("app") << action(Action::Kind::app, "Rhythmbox") << Choice::openApp
                             << "Rhythmbox" << true;
        QTest::newRow("open -a bare") << action(Action::Kind::shell, "open -a Firefox")
                                      << Choice::openApp << "Firefox" << true;
        QTest::newRow("open -a quoted") << action(Action::Kind::shell, "open -a 'Firefox ESR'")
                                        << Choice::openApp << "Firefox ESR" << true;
        QTest::newRow("other command")
            << action(Action::Kind::shell, "echo hi") << Choice::command << "" << true;
        QTest::newRow("quit form")
            << quitAppScript("Rhythmbox", std::nullopt) << Choice::quitApp << "Rhythmbox" << true;
        QTest::newRow("quit form of no app: still quitting, not tried")
            << action(Action::Kind::applescript, "tell application \"\" to quit") << Choice::quitApp
            << "" << false;
        QTest::newRow("another verb")
            << action(Action::Kind::applescript, "tell application \"Rhythmbox\" to activate")
            << Choice::applescript << "" << true;
        QTest::newRow("script") << action(Action::Kind::script, "~/bin/a.sh") << Choice::script
                                << "" << true;
        QTest::newRow("shortcut of spaces")
            << action(Action::Kind::shortcut, " \t") << Choice::shortcut << "" << false;
        QTest::newRow("app control")
            << appControlAction("a.b.Player", "mute", "on") << Choice::appControl << "" << true;
    }

    void reading()
    {
        QFETCH(Action, action);
        QFETCH(Choice, choice);
        QCOMPARE(ActionEditing::choice(action), choice);
        QFETCH(QString, app);
        QCOMPARE(ActionEditing::app(action), app);
        QFETCH(bool, canTry);
        QCOMPARE(ActionEditing::canTry(action), canTry);
    }

    void rawValues()
    {
        for (Choice choice : ActionEditing::allChoices)
            QCOMPARE(ActionEditing::choiceFromRawValue(ActionEditing::rawValue(choice)), choice);
        QCOMPARE(ActionEditing::choiceFromRawValue("OpenApp"), std::nullopt);
        QCOMPARE(ActionEditing::title(Choice::appControl), "Use another app's control");
    }

    void switching_data()
    {
        QTest::addColumn<Action>("from");
        QTest::addColumn<Choice>("to");
        QTest::addColumn<Action>("result");
        const Action opens = action(Action::Kind::app, "Firefox", 12);
        Action press = action(Action::Kind::appControl, "", 12);
        press.value = "press";
        QTest::newRow("open to quit keeps the app and time-out")
            << opens << Choice::quitApp << quitAppScript("Firefox", 12);
        QTest::newRow("quit to open") << quitAppScript("Firefox", 12) << Choice::openApp << opens;
        QTest::newRow("quit with no app name yet")
            << action(Action::Kind::shortcut, "") << Choice::quitApp
            << quitAppScript("", std::nullopt);
        QTest::newRow("to command starts empty")
            << action(Action::Kind::shell, "echo hi", 12) << Choice::command
            << action(Action::Kind::shell, "", 12);
        QTest::newRow("to app control presses") << opens << Choice::appControl << press;
    }

    void switching()
    {
        QFETCH(Action, from);
        QFETCH(Choice, to);
        QFETCH(Action, result);
        const Action made = ActionEditing::switchedTo(from, to);
        QCOMPARE(made, result);
        QCOMPARE(ActionEditing::choice(made),
                 to == Choice::quitApp && made.type == Action::Kind::shortcut ? Choice::shortcut
                                                                              : to);
    }

    void emptyQuitStaysAQuit()
    {
        const Action quit =
            ActionEditing::switchedTo(action(Action::Kind::shortcut, ""), Choice::quitApp);
        QCOMPARE(ActionEditing::choice(quit), Choice::quitApp);
        QVERIFY(!ActionEditing::canTry(quit));
        const Action named = ActionEditing::withApp(quit, "Rhythmbox");
        QCOMPARE(named, quitAppScript("Rhythmbox", std::nullopt));
        QVERIFY(ActionEditing::canTry(named));
    }

    void appPicks()
    {
        const Action opened =
            ActionEditing::withApp(action(Action::Kind::shell, "open -a X", 3), "Y");
        QCOMPARE(opened, action(Action::Kind::app, "Y", 3));
    }

    void controls_data()
    {
        QTest::addColumn<std::optional<QString>>("value");
        QTest::addColumn<QString>("item");
        QTest::addColumn<std::optional<QString>>("newValue");
        QTest::addColumn<std::optional<QString>>("control");
        QTest::addColumn<bool>("onOff");
        using V = std::optional<QString>;
        QTest::newRow("switch turns press into on")
            << V("press") << "mute" << V("on") << V("mute") << true;
        QTest::newRow("switch keeps off") << V("off") << "mute" << V("off") << V("mute") << true;
        QTest::newRow("switch keeps none") << V() << "mute" << V() << V("mute") << true;
        QTest::newRow("button presses") << V("off") << "skip" << V("press") << V("skip") << false;
        QTest::newRow("cleared item") << V("on") << "" << V("on") << V() << false;
        QTest::newRow("unknown item") << V("press") << "gone" << V("press") << V("gone") << false;
    }

    void controls()
    {
        QFETCH(std::optional<QString>, value);
        QFETCH(QString, item);
        const Action changed = ActionEditing::withControl(
            appControlAction("a.b.Player", std::nullopt, value), item, studioCatalog());
        QFETCH(std::optional<QString>, newValue);
        QCOMPARE(changed.value, newValue);
        QFETCH(std::optional<QString>, control);
        QCOMPARE(changed.control, control);
        QFETCH(bool, onOff);
        QCOMPARE(ActionEditing::offersOnOff(changed, studioCatalog()), onOff);
        QCOMPARE(ActionEditing::onOffValue(appControlAction("a", "b", std::nullopt)), "on");
    }
};

QTEST_GUILESS_MAIN(ActionEditingTest)
#include "ActionEditingTest.moc"

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/AddActionFlow.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"

#include <QSignalSpy>

using namespace Quorvel;
using namespace EditorTest;

using Intent = AddActionFlow::Intent;
using LeftSlot = AddActionFlow::LeftSlot;
using RightSlot = AddActionFlow::RightSlot;
using Mark = AddActionFlow::ProgressLabel::Mark;

Q_DECLARE_METATYPE(std::optional<Quorvel::AddActionFlow::Intent>)
Q_DECLARE_METATYPE(Quorvel::AddActionFlow::Intent)
Q_DECLARE_METATYPE(Quorvel::AddActionFlow::LeftSlot)
Q_DECLARE_METATYPE(Quorvel::AddActionFlow::RightSlot)
Q_DECLARE_METATYPE(std::vector<Quorvel::Control>)
Q_DECLARE_METATYPE(std::function<void(Quorvel::AddActionFlow &)>)
Q_DECLARE_METATYPE(Quorvel::ClientTestOutcome)

namespace {

using Setup = std::function<void(AddActionFlow &)>;

const QString freeDiskCommand = QStringLiteral("df -h / | awk 'NR==2 {print $4}'");

Control shortcutButton(const QString &id, const QString &title, const QString &shortcut)
{
    Control made = control(id, title, ControlType::button);
    made.action = action(Action::Kind::shortcut, shortcut);
    return made;
}

// A deck whose second action runs "Morning" as its off action.
std::vector<Control> existingActions()
{
    Control lights = control("lights", "Lights", ControlType::toggle);
    lights.onAction = action(Action::Kind::shell, "lights on");
    lights.offAction = action(Action::Kind::shortcut, "Morning");
    return {shortcutButton("command", "Old command", "Other"), lights};
}

} // namespace

class AddActionFlowTest : public QObject {
    Q_OBJECT

private:
    // A client connected to "Studio" with the studio catalog; tries answer at once.
    void connect(ScriptedEditorClient &client, bool editingAllowed = true)
    {
        client.connectTo("Studio", Deck{"Deck", existingActions()}, editingAllowed);
        client.setCatalog(studioCatalog());
    }

private slots:
    // Names are joined as a reader of English expects, whatever the machine's locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void startingPoint_data()
    {
        QTest::addColumn<std::optional<Control>>("preset");
        QTest::addColumn<std::optional<Intent>>("startIntent");
        QTest::addColumn<int>("step");
        QTest::addColumn<Intent>("intent");
        QTest::addColumn<LeftSlot>("left");
        QTest::addColumn<RightSlot>("right");

        const Control bound =
            controlFromAppOffer(studioCatalog().appControls.front().controls.front(), "a.b.Player",
                                {})
                .value();
        const Control appSwitch = appSwitchControl("Rhythmbox", std::nullopt, {});
        QTest::newRow("nothing: the first step")
            << std::optional<Control>() << std::optional<Intent>() << 1 << Intent::appSwitch
            << LeftSlot::somethingElse << RightSlot::none;
        QTest::newRow("a start intent: its details, with Back")
            << std::optional<Control>() << std::optional<Intent>(Intent::value) << 2
            << Intent::value << LeftSlot::back << RightSlot::continueButton;
        QTest::newRow("a preset wins over the intent: its review, no Back")
            << std::optional<Control>(appSwitch) << std::optional<Intent>(Intent::shortcut) << 3
            << Intent::appSwitch << LeftSlot::none << RightSlot::addButton;
        QTest::newRow("a switch bound to an offered control is that kind")
            << std::optional<Control>(bound) << std::optional<Intent>() << 3 << Intent::appControl
            << LeftSlot::none << RightSlot::addButton;
    }

    void startingPoint()
    {
        QFETCH(std::optional<Control>, preset);
        QFETCH(std::optional<Intent>, startIntent);
        ScriptedEditorClient client;
        AddActionFlow flow(client, {}, preset, startIntent);
        QFETCH(int, step);
        QCOMPARE(flow.step(), step);
        QFETCH(Intent, intent);
        QCOMPARE(flow.intent(), intent);
        QFETCH(LeftSlot, left);
        QCOMPARE(flow.leftSlot(), left);
        QFETCH(RightSlot, right);
        QCOMPARE(flow.rightSlot(), right);
        if (preset)
            QCOMPARE(flow.name(), preset->title);
    }

    void intentOfControl_data()
    {
        QTest::addColumn<Control>("control");
        QTest::addColumn<Intent>("intent");
        Control readout = presetReadoutControl(ValuePreset::uptime(), {}, {}, 30);
        Control shellButton = commandControl(Action::Kind::shell, "echo hi", {});
        Control empty = control("x", "X", ControlType::button);
        Control mixed = appSwitchControl("Rhythmbox", std::nullopt, {});
        mixed.onAction = appControlAction("a.b.Player", "mute", "on");
        mixed.offAction = appControlAction("a.b.Player", "mute", "off");
        QTest::newRow("switch") << appSwitchControl("Rhythmbox", std::nullopt, {})
                                << Intent::appSwitch;
        QTest::newRow("readout") << readout << Intent::value;
        QTest::newRow("shortcut button") << shortcutButton("a", "A", "Morning") << Intent::shortcut;
        QTest::newRow("command button") << shellButton << Intent::command;
        QTest::newRow("button without action") << empty << Intent::command;
        QTest::newRow("switch checked by a process is not bound") << mixed << Intent::appSwitch;
    }

    void intentOfControl()
    {
        QFETCH(Control, control);
        QFETCH(Intent, intent);
        QCOMPARE(AddActionFlow::intentFor(control), intent);
    }

    void subtitles_data()
    {
        QTest::addColumn<Intent>("intent");
        QTest::addColumn<int>("shortcuts");
        QTest::addColumn<QStringList>("apps");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("one shortcut keeps the plural")
            << Intent::shortcut << 1 << QStringList()
            << "A button for one of Studio's 1 shortcuts.";
        QTest::newRow("no shortcuts") << Intent::shortcut << 0 << QStringList()
                                      << "A button that runs one of Studio's shortcuts.";
        QTest::newRow("no app offers controls")
            << Intent::appControl << 0 << QStringList()
            << "Use a switch, button, or value an app offers (apps like Mondrake), with its live "
               "state.";
        QTest::newRow("apps joined as a list")
            << Intent::appControl << 0 << QStringList{"Player", "Lamp"}
            << "Use a switch, button, or value from Player and Lamp, with its live state.";
    }

    void subtitles()
    {
        QFETCH(Intent, intent);
        QFETCH(int, shortcuts);
        QFETCH(QStringList, apps);
        QFETCH(QString, subtitle);
        QCOMPARE(AddActionFlow::subtitle(intent, shortcuts, "Studio", apps), subtitle);
    }

    void noHostInfoReadsTheHost()
    {
        ScriptedEditorClient client;
        AddActionFlow flow(client, {});
        QCOMPARE(flow.subtitle(Intent::shortcut),
                 "A button that runs one of the host's shortcuts.");
        flow.chooseIntent(Intent::command);
        flow.setCommand("false");
        flow.continueToReview();
        QCOMPARE(flow.tryButtons().first().label, "Try It on the host");
        QVERIFY(!flow.canTry());
    }

    void continueEnabling_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("canContinue");
        const auto at = [](Intent intent, Setup then) -> Setup {
            return [intent, then](AddActionFlow &flow) {
                flow.chooseIntent(intent);
                then(flow);
            };
        };
        QTest::newRow("app switch without an app")
            << at(Intent::appSwitch, [](AddActionFlow &) {}) << false;
        QTest::newRow("app switch with a typed app")
            << at(Intent::appSwitch, [](AddActionFlow &f) { f.setApp("Zed"); }) << true;
        QTest::newRow("shortcut unchosen") << at(Intent::shortcut, [](AddActionFlow &) {}) << false;
        QTest::newRow("shortcut chosen")
            << at(Intent::shortcut, [](AddActionFlow &f) { f.setShortcut("Morning"); }) << true;
        QTest::newRow("command of spaces and line breaks")
            << at(Intent::command, [](AddActionFlow &f) { f.setCommand(" \n\t\n "); }) << false;
        QTest::newRow("command") << at(Intent::command, [](AddActionFlow &f) {
            f.setCommand("ls");
        }) << true;
        QTest::newRow("value: free disk is chosen at once")
            << at(Intent::value, [](AddActionFlow &) {}) << true;
        QTest::newRow("value: a command of spaces") << at(Intent::value, [](AddActionFlow &f) {
            f.setValuePreset(std::nullopt);
            f.setCustomValue(" \t ");
        }) << false;
        QTest::newRow("value: a command of line breaks counts")
            << at(Intent::value,
                  [](AddActionFlow &f) {
                      f.setValuePreset(std::nullopt);
                      f.setCustomValue("\n");
                  })
            << true;
        QTest::newRow("app control: app without item")
            << at(Intent::appControl, [](AddActionFlow &f) { f.setControlApp("a.b.Player"); })
            << false;
        QTest::newRow("app control: an item") << at(Intent::appControl, [](AddActionFlow &f) {
            f.setControlApp("a.b.Player");
            f.setControlItem("volume");
        }) << true;
        QTest::newRow("app control: an app no longer offered")
            << at(Intent::appControl,
                  [](AddActionFlow &f) {
                      f.setControlApp("gone.App");
                      f.setControlItem("volume");
                  })
            << false;
    }

    void continueEnabling()
    {
        QFETCH(Setup, setup);
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, existingActions());
        setup(flow);
        QFETCH(bool, canContinue);
        QCOMPARE(flow.canContinue(), canContinue);
        flow.continueToReview();
        QCOMPARE(flow.step(), flow.canContinue() ? 3 : 2);
    }

    void quitChoiceIsHeldApartFromTheName_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<std::optional<QString>>("quitWith");
        QTest::addColumn<Action>("offAction");
        QTest::newRow("a matching quit shortcut is picked")
            << "Rhythmbox" << std::optional<QString>("Quit Rhythmbox")
            << action(Action::Kind::shortcut, "Quit Rhythmbox", 30);
        QTest::newRow("none fits: the app quits itself")
            << "Firefox ESR" << std::optional<QString>()
            << quitAppScript("Firefox ESR", std::nullopt);
    }

    void quitChoiceIsHeldApartFromTheName()
    {
        QFETCH(QString, app);
        QFETCH(std::optional<QString>, quitWith);
        QFETCH(Action, offAction);
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        flow.chooseIntent(Intent::appSwitch);
        flow.setApp(app);
        QCOMPARE(flow.quitShortcut(), quitWith);
        flow.continueToReview();
        QCOMPARE(flow.draft()->offAction, offAction);
    }

    void shortcutNamedAppCanTurnASwitchOff()
    {
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        flow.chooseIntent(Intent::appSwitch);
        flow.setApp("Rhythmbox");
        flow.setQuitShortcut(QStringLiteral("app"));
        flow.continueToReview();
        QCOMPARE(flow.draft()->offAction, action(Action::Kind::shortcut, "app", 30));
    }

    void backKeepsStepTwoChoicesAndContinueResetsReview()
    {
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        flow.chooseIntent(Intent::value);
        flow.setValuePreset(std::nullopt);
        flow.setCustomValue("date +%H:%M");
        flow.setValuePreset(ValuePreset::load());
        flow.continueToReview();
        QCOMPARE(flow.name(), "Load average");
        flow.setName("Mine");
        flow.tryPart(AddActionFlow::TryPart::statusCheck);
        QTRY_VERIFY(flow.result().has_value());
        flow.back();
        QCOMPARE(flow.step(), 2);
        QVERIFY(!flow.result());
        QCOMPARE(flow.customValue(), "date +%H:%M");
        QCOMPARE(flow.valuePreset(), ValuePreset::load());
        flow.continueToReview();
        QCOMPARE(flow.name(), "Load average");
        flow.back();
        flow.back();
        QCOMPARE(flow.step(), 1);
        QCOMPARE(flow.leftSlot(), LeftSlot::somethingElse);
    }

    void asksForAppControlsWhenTheirStepOpens_data()
    {
        QTest::addColumn<std::optional<Intent>>("startIntent");
        QTest::addColumn<bool>("editingAllowed");
        QTest::addColumn<Setup>("steps");
        QTest::addColumn<int>("requests");
        const auto none = std::optional<Intent>();
        QTest::newRow("chosen") << none << true << Setup([](AddActionFlow &f) {
            f.chooseIntent(Intent::appControl);
        }) << 1;
        QTest::newRow("another kind chosen")
            << none << true << Setup([](AddActionFlow &f) { f.chooseIntent(Intent::shortcut); })
            << 0;
        QTest::newRow("opened on it")
            << std::optional(Intent::appControl) << true << Setup([](AddActionFlow &) {}) << 1;
        QTest::newRow("back to it from the review")
            << std::optional(Intent::appControl) << true << Setup([](AddActionFlow &f) {
                   f.setControlApp("a.b.Player");
                   f.setControlItem("mute");
                   f.continueToReview();
                   f.back();
               })
            << 2;
        QTest::newRow("chosen again after going back")
            << none << true << Setup([](AddActionFlow &f) {
                   f.chooseIntent(Intent::appControl);
                   f.back();
                   f.chooseIntent(Intent::appControl);
               })
            << 2;
        QTest::newRow("view only")
            << none << false << Setup([](AddActionFlow &f) { f.chooseIntent(Intent::appControl); })
            << 0;
    }
    // Apps start and stop offering controls while the editor stays open: the step that lists
    // them asks the host again each time it opens, as the host knows them now.
    void asksForAppControlsWhenTheirStepOpens()
    {
        QFETCH(std::optional<Intent>, startIntent);
        QFETCH(bool, editingAllowed);
        QFETCH(Setup, steps);
        ScriptedEditorClient client;
        connect(client, editingAllowed);
        AddActionFlow flow(client, {}, std::nullopt, startIntent);
        steps(flow);
        QFETCH(int, requests);
        QCOMPARE(client.catalogRequests(), requests);
    }

    void ideaThenBackShowsItsKindWithTheSheetsOwnChoices()
    {
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        const std::vector<DeckIdeas::Idea> ideas = flow.ideas();
        QVERIFY(!ideas.empty());
        const auto appIdea = std::find_if(ideas.cbegin(), ideas.cend(),
                                          [](const auto &idea) { return idea.id == "app"; });
        QVERIFY(appIdea != ideas.cend());
        flow.chooseIdea(*appIdea);
        QCOMPARE(flow.step(), 3);
        QCOMPARE(flow.intent(), Intent::appSwitch);
        flow.back();
        QCOMPARE(flow.step(), 2);
        QCOMPARE(flow.app(), QString());
    }

    void somethingElseOpensAnEmptyShellButton()
    {
        ScriptedEditorClient client;
        AddActionFlow flow(client, {});
        flow.somethingElse();
        QCOMPARE(flow.step(), 3);
        QCOMPARE(flow.draft()->action, action(Action::Kind::shell, QString()));
        QCOMPARE(flow.name(), QString());
        QVERIFY(!flow.canAdd());
        flow.setName("Hi");
        QVERIFY(flow.canAdd());
    }

    void finishedIDs_data()
    {
        QTest::addColumn<QString>("draftID");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("a command draft takes the name") << "command_2"
                                                        << "Back Up"
                                                        << "back_up";
        QTest::newRow("without a name a used base gets a suffix") << "command"
                                                                  << ""
                                                                  << "command_2";
        QTest::newRow("a readout draft takes the name") << "value"
                                                        << "Temp"
                                                        << "temp";
        QTest::newRow("a new id stays") << "rhythmbox"
                                        << "Music"
                                        << "rhythmbox";
        QTest::newRow("a used id is replaced") << "lights"
                                               << "Lamp"
                                               << "lamp";
        QTest::newRow("no id, no name") << ""
                                        << ""
                                        << "control";
    }

    void finishedIDs()
    {
        QFETCH(QString, draftID);
        QFETCH(QString, name);
        ScriptedEditorClient client;
        AddActionFlow flow(client, existingActions());
        Control draft = shortcutButton(draftID, "T", "Morning");
        flow.enterReview(draft);
        flow.setName(name);
        QFETCH(QString, id);
        QCOMPARE(flow.finishedControl()->id, id);
        QCOMPARE(flow.finishedControl()->title, name);
    }

    void addEnabling_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("canAdd");
        QTest::newRow("named") << Setup([](AddActionFlow &) {}) << true;
        QTest::newRow("spaces only") << Setup([](AddActionFlow &f) { f.setName(" \t "); }) << false;
        QTest::newRow("switch without a status app")
            << Setup([](AddActionFlow &f) { f.setMakeSwitch(true); }) << false;
        QTest::newRow("switch with a status app") << Setup([](AddActionFlow &f) {
            f.setMakeSwitch(true);
            f.setSwitchStatusApp("Rhythmbox");
        }) << true;
        QTest::newRow("switch without an off shortcut") << Setup([](AddActionFlow &f) {
            f.setMakeSwitch(true);
            f.setSwitchStatusApp("Rhythmbox");
            f.setOffShortcut(QString());
        }) << false;
    }

    void addEnabling()
    {
        QFETCH(Setup, setup);
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        flow.chooseIntent(Intent::shortcut);
        flow.setShortcut("Morning");
        flow.continueToReview();
        QCOMPARE(flow.offShortcut(), "Morning");
        setup(flow);
        QFETCH(bool, canAdd);
        QCOMPARE(flow.canAdd(), canAdd);
        QCOMPARE(flow.add().has_value(), flow.canAdd());
    }

    void shortcutButtonBecomesASwitch()
    {
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        flow.enterReview(shortcutButton("play", "  Play", "Morning"));
        QVERIFY(flow.offersSwitch());
        flow.setMakeSwitch(true);
        flow.setOffShortcut("Quit Rhythmbox");
        flow.setSwitchStatusApp("Rhythmbox");
        flow.setIcon(QString());
        const Control added = flow.add().value();
        QCOMPARE(added.type, ControlType::toggle);
        QCOMPARE(added.title, "  Play");
        QVERIFY(!added.action);
        QVERIFY(!added.icon);
        QCOMPARE(added.onAction, action(Action::Kind::shortcut, "Morning"));
        QCOMPARE(added.offAction, action(Action::Kind::shortcut, "Quit Rhythmbox"));
        QCOMPARE(added.statusCheck->target, "Rhythmbox");
        QCOMPARE(flow.tryButtons().size(), 2);
        QCOMPARE(flow.tryButtons().at(1).label, "Try Turning Off");
    }

    void progressHeader_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("marks");
        const int done = int(Mark::done), current = int(Mark::current), toCome = int(Mark::toCome);
        QTest::newRow("step 1") << Setup([](AddActionFlow &) {})
                                << QStringList{"What it does", "Pick it", "Try it and name it"}
                                << QList<int>{current, toCome, toCome};
        QTest::newRow("step 2") << Setup([](AddActionFlow &f) { f.chooseIntent(Intent::value); })
                                << QStringList{"Show a value", "Pick it", "Try it and name it"}
                                << QList<int>{done, current, toCome};
        QTest::newRow("free disk review") << Setup([](AddActionFlow &f) {
            f.chooseIntent(Intent::value);
            f.continueToReview();
        }) << QStringList{"Show a value", "Free disk space", "Try it and name it"}
                                          << QList<int>{done, done, current};
        QTest::newRow("a custom readout is not summed up") << Setup([](AddActionFlow &f) {
            f.chooseIntent(Intent::value);
            f.setValuePreset(std::nullopt);
            f.setCustomValue("date");
            f.continueToReview();
        }) << QStringList{"Show a value", "Pick it", "Try it and name it"}
                                                           << QList<int>{done, done, current};
        QTest::newRow("shortcut button") << Setup([](AddActionFlow &f) {
            f.chooseIntent(Intent::shortcut);
            f.setShortcut("Morning");
            f.continueToReview();
        }) << QStringList{"Run a shortcut", "Morning", "Try it and name it"}
                                         << QList<int>{done, done, current};
        QTest::newRow("offered control") << Setup([](AddActionFlow &f) {
            f.chooseIntent(Intent::appControl);
            f.setControlApp("a.b.Player");
            f.setControlItem("mute");
            f.continueToReview();
        }) << QStringList{"Control an app", "Mute in Player Pro", "Try it and name it"}
                                         << QList<int>{done, done, current};
    }

    void progressHeader()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, marks);
        ScriptedEditorClient client;
        connect(client);
        AddActionFlow flow(client, {});
        setup(flow);
        const QList<AddActionFlow::ProgressLabel> labels = flow.progress();
        QCOMPARE(labels.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels.at(i).text, texts.at(i));
            QCOMPARE(int(labels.at(i).mark), marks.at(i));
        }
    }

    void shortcutBadges()
    {
        ScriptedEditorClient client;
        AddActionFlow flow(client, existingActions());
        QCOMPARE(flow.shortcutBadge("Morning"), std::optional<QString>("Used by Lights"));
        QCOMPARE(flow.shortcutBadge("Evening"), std::optional<QString>());
    }

    void tries_data()
    {
        QTest::addColumn<ClientTestOutcome>("outcome");
        QTest::addColumn<QString>("hint");
        const QString hint = "You can still add it and fix it on Studio later.";
        QTest::newRow("ok") << ClientTestOutcome::action(true, "hi") << QString();
        QTest::newRow("not ok") << ClientTestOutcome::action(false, "boom") << hint;
        QTest::newRow("no answer") << ClientTestOutcome::failed("No answer from the host.") << hint;
        QTest::newRow("a state never hints")
            << ClientTestOutcome::statusCheck(false, "") << QString();
    }

    void tries()
    {
        QFETCH(ClientTestOutcome, outcome);
        ScriptedEditorClient client;
        connect(client);
        client.setTestOutcome(outcome);
        AddActionFlow flow(client, {});
        flow.chooseIntent(Intent::command);
        flow.setCommand("echo hi");
        flow.continueToReview();
        QVERIFY(flow.canTry());
        flow.tryPart(AddActionFlow::TryPart::action);
        QVERIFY(flow.isTrying());
        QVERIFY(!flow.canTry());
        QTRY_VERIFY(!flow.isTrying());
        QCOMPARE(flow.result(), outcome);
        QFETCH(QString, hint);
        QCOMPARE(flow.failureHint(), hint);
    }

    void triesNeedEditing()
    {
        ScriptedEditorClient client;
        connect(client, false);
        AddActionFlow flow(client, {});
        flow.somethingElse();
        QVERIFY(!flow.canTry());
        flow.tryPart(AddActionFlow::TryPart::action);
        QVERIFY(!flow.isTrying());
    }

    void aTryAnsweredAfterTheFlowIsGoneIsDropped()
    {
        ScriptedEditorClient client;
        connect(client);
        auto *flow = new AddActionFlow(client, {});
        flow->somethingElse();
        flow->tryPart(AddActionFlow::TryPart::action);
        QVERIFY(flow->isTrying());
        delete flow;
        // The answer is delivered on the event loop; with its context gone nothing is touched.
        QCoreApplication::processEvents();
    }
};

QTEST_GUILESS_MAIN(AddActionFlowTest)
#include "AddActionFlowTest.moc"

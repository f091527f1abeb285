#include "HostTestSupport.h"

#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostSettings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Quorvel::Action)

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

Deck firstDeck()
{
    return Deck{QStringLiteral("Desk"), {shellButton("hello", "echo hi")}};
}

Deck secondDeck()
{
    return Deck{QStringLiteral("Studio"),
                {shellButton("hello", "echo hello"), shellButton("bye", "echo bye")}};
}

Message test(const QString &requestID, const std::optional<Action> &action,
             const std::optional<StatusCheck> &check = std::nullopt)
{
    return Message(Message::Test{requestID, action, check});
}

Message update(const QString &requestID, const Deck &deck)
{
    return Message(Message::UpdateDeck{requestID, deck});
}

std::optional<Message::TestResult> waitForTestResult(Device &device, const QString &requestID)
{
    return device.waitForMessage<Message::TestResult>(
        [&](const Message::TestResult &result) { return result.requestID == requestID; });
}

std::optional<Message::DeckUpdateResult> waitForUpdateResult(Device &device,
                                                             const QString &requestID)
{
    return device.waitForMessage<Message::DeckUpdateResult>(
        [&](const Message::DeckUpdateResult &result) { return result.requestID == requestID; });
}

QStringList historyCopies()
{
    return QDir(DeckStore::historyFolderPath()).entryList(QDir::Files);
}

} // namespace

class HostEditingTest : public QObject {
    Q_OBJECT

private slots:
    void testIsRefusedWithoutEditingRights();
    void localEditorMayTestWithEditingOff();
    void testRunsTheActionOnly();
    void failedTestAnswersItsSummary();
    void statusCheckTestAnswersItsFindings();
    void emptyTestHasNothingToTest();
    void invalidTestActionIsRefusedWithItsProblems_data();
    void invalidTestActionIsRefusedWithItsProblems();
    void testRunsCountAgainstTheLimit();
    void testOfDepartedEditorNamesIt();
    void updateWithoutEditingRightsLeavesTheFile();
    void invalidUpdateAnswersEveryProblem();
    void validUpdateIsSavedAndSentToEveryDevice();
};

void HostEditingTest::testIsRefusedWithoutEditingRights()
{
    TestHost host(firstDeck());
    auto device = host.pairedDevice();
    QVERIFY(device);

    device->send(test("t1", shellAction("echo tried")));
    const auto result = waitForTestResult(*device, "t1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::TestResult{
                          "t1", false,
                          QStringLiteral("Editing actions from other devices is turned off on %1.")
                              .arg(host.coordinator().hostName()),
                          std::nullopt}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Refused a test: editing from other devices is off"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QVERIFY(host.coordinator().lastLog().isEmpty());
    QVERIFY(device->received<Message::Error>().isEmpty());

    // Allowed from outside the application: counts at the next test.
    TestHost::writeEditingSetting(true);
    device->send(test("t2", shellAction("echo tried")));
    const auto allowed = waitForTestResult(*device, "t2");
    QVERIFY(allowed);
    QCOMPARE(allowed->output, QStringLiteral("tried"));
    QVERIFY(host.coordinator().allowDeckEditing());
}

void HostEditingTest::localEditorMayTestWithEditingOff()
{
    TestHost host(firstDeck());
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);

    editor->send(test("t1", shellAction("echo local")));
    const auto result = waitForTestResult(*editor, "t1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::TestResult{"t1", true, QStringLiteral("local"), std::nullopt}));
    QVERIFY(!host.coordinator().allowDeckEditing());
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Tried an action in the editor"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::ok);
    QCOMPARE(entry.detail, QStringLiteral("local"));
    QCOMPARE(host.coordinator().lastLog(),
             QStringLiteral("Test from This computer: shell echo local"));
}

void HostEditingTest::testRunsTheActionOnly()
{
    TestHost host(firstDeck());
    TestHost::writeEditingSetting(true);
    auto device = host.pairedDevice();
    QVERIFY(device);

    const StatusCheck check{StatusCheck::Kind::shellOutput, "echo checked", std::nullopt,
                            std::nullopt};
    device->send(test("t1", shellAction("echo acted"), check));
    const auto result = waitForTestResult(*device, "t1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::TestResult{"t1", true, QStringLiteral("acted"), std::nullopt}));
    // Trying changes nothing of the deck's controls.
    QVERIFY(host.coordinator().runningControls().isEmpty());
    QCOMPARE(host.coordinator().deck(), firstDeck());
}

void HostEditingTest::failedTestAnswersItsSummary()
{
    TestHost host(firstDeck());
    TestHost::writeEditingSetting(true);
    auto device = host.pairedDevice();
    QVERIFY(device);

    Action slow = shellAction("sleep 30");
    slow.timeout = 0.2;
    device->send(test("t1", slow));
    const auto result = waitForTestResult(*device, "t1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::TestResult{"t1", false, QStringLiteral("timed out after 0s"),
                                           std::nullopt}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Tried an action in the editor"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QCOMPARE(entry.detail, QStringLiteral("timed out after 0s"));
}

void HostEditingTest::statusCheckTestAnswersItsFindings()
{
    TestHost host(firstDeck());
    TestHost::writeEditingSetting(true);
    auto device = host.pairedDevice();
    QVERIFY(device);
    const qsizetype entries = host.coordinator().activity().size();

    device->send(
        test("t1", std::nullopt,
             StatusCheck{StatusCheck::Kind::shellExitCode, "exit 1", std::nullopt, std::nullopt}));
    const auto silent = waitForTestResult(*device, "t1");
    QVERIFY(silent);
    QCOMPARE(*silent, (Message::TestResult{"t1", true, std::nullopt, false}));

    device->send(
        test("t2", std::nullopt,
             StatusCheck{StatusCheck::Kind::shellOutput, "echo 21%", std::nullopt, std::nullopt}));
    const auto told = waitForTestResult(*device, "t2");
    QVERIFY(told);
    QCOMPARE(*told, (Message::TestResult{"t2", true, QStringLiteral("21%"), std::nullopt}));
    QCOMPARE(host.coordinator().activity().size(), entries);
    QVERIFY(host.coordinator().lastLog().isEmpty());
}

void HostEditingTest::emptyTestHasNothingToTest()
{
    TestHost host(firstDeck());
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);
    const qsizetype entries = host.coordinator().activity().size();

    editor->send(test("t1", std::nullopt));
    const auto result = waitForTestResult(*editor, "t1");
    QVERIFY(result);
    QCOMPARE(*result,
             (Message::TestResult{"t1", false, QStringLiteral("Nothing to test."), std::nullopt}));
    QCOMPARE(host.coordinator().activity().size(), entries);
}

void HostEditingTest::invalidTestActionIsRefusedWithItsProblems_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("problems");

    QTest::newRow("empty target") << shellAction("  ") << "test: action target is empty";
    Action negative = shellAction("echo never");
    negative.timeout = -1;
    QTest::newRow("negative time-out") << negative << "test: action timeout must be positive";
    const Action control{Action::Kind::appControl, "", std::nullopt, std::nullopt,
                         QStringLiteral("loud")};
    QTest::newRow("app control") << control
                                 << "test: action target is empty; test: action needs the app's "
                                    "control; test: action value must be on, off, press, or a "
                                    "level from 0 to 1";
}

void HostEditingTest::invalidTestActionIsRefusedWithItsProblems()
{
    QFETCH(Action, action);
    QFETCH(QString, problems);
    TestHost host(firstDeck());
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);

    editor->send(test("t1", action));
    const auto result = waitForTestResult(*editor, "t1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::TestResult{"t1", false, problems, std::nullopt}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QCOMPARE(entry.detail, problems);
    // Nothing ran.
    QVERIFY(host.coordinator().lastLog().isEmpty());
}

void HostEditingTest::testRunsCountAgainstTheLimit()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    Deck deck{QStringLiteral("Desk"), {shellButton("hello", "echo hi")}};
    for (int i = 1; i < HostCoordinator::maxRunningActions; ++i) {
        const QString id = QStringLiteral("block-%1").arg(i);
        deck.controls.push_back(shellButton(id, gate.command(id)));
    }
    TestHost host(deck);
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);
    const QString tooMany =
        QStringLiteral("Too many actions are running on %1; try again in a moment")
            .arg(host.coordinator().hostName());

    for (int i = 1; i < HostCoordinator::maxRunningActions; ++i) {
        editor->send(Message(Message::TriggerAction{
            QStringLiteral("b%1").arg(i), QStringLiteral("block-%1").arg(i), std::nullopt}));
    }
    editor->send(test("t1", shellAction(gate.command("test"))));
    QVERIFY(gate.waitForStarted(HostCoordinator::maxRunningActions));

    // Seven controls and one test fill the limit, for controls and tests alike.
    editor->send(Message(Message::TriggerAction{"h1", "hello", std::nullopt}));
    const auto refusedRun = editor->waitForResult("h1");
    QVERIFY(refusedRun);
    QCOMPARE(refusedRun->output, tooMany);
    editor->send(test("t2", shellAction("echo never")));
    const auto refusedTest = waitForTestResult(*editor, "t2");
    QVERIFY(refusedTest);
    QCOMPARE(*refusedTest, (Message::TestResult{"t2", false, tooMany, std::nullopt}));

    gate.release();
    const auto tested = waitForTestResult(*editor, "t1");
    QVERIFY(tested);
    QVERIFY(tested->ok);
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
    editor->send(test("t3", shellAction("echo again")));
    const auto again = waitForTestResult(*editor, "t3");
    QVERIFY(again);
    QCOMPARE(again->output, QStringLiteral("again"));
}

void HostEditingTest::testOfDepartedEditorNamesIt()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    TestHost host(firstDeck());
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);
    editor->send(test("t1", shellAction(gate.command("test"))));
    QVERIFY(gate.waitForStarted(1));

    editor.reset();
    QVERIFY(waitFor([&] { return host.coordinator().connectedClients().isEmpty(); }));
    gate.release();
    // The entry names the device that asked, as it was known when the test began.
    QVERIFY(waitFor([&] {
        return host.coordinator().activity().first().summary ==
               QStringLiteral("Tried an action in the editor");
    }));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.device, QStringLiteral("This computer"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::ok);
}

void HostEditingTest::updateWithoutEditingRightsLeavesTheFile()
{
    TestHost host(firstDeck());
    auto device = host.pairedDevice();
    QVERIFY(device);
    const QByteArray before = readFile(host.deckPath());

    QTest::ignoreMessage(QtInfoMsg,
                         "Refused deck update from Phone: editing from other devices is off");
    device->send(update("u1", secondDeck()));
    const auto result = waitForUpdateResult(*device, "u1");
    QVERIFY(result);
    QVERIFY(!result->ok);
    QCOMPARE(result->problems,
             QStringList{QStringLiteral("Editing actions from other devices is turned off on %1. "
                                        "Turn it on in Quorvel's settings there, or set "
                                        "allowRemoteDeckEditing=true in %2.")
                             .arg(host.coordinator().hostName(), HostSettings::filePath())});
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary,
             QStringLiteral("Refused changes to the actions: editing from other devices is off"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QCOMPARE(readFile(host.deckPath()), before);
    QVERIFY(historyCopies().isEmpty());
    QCOMPARE(host.coordinator().deck(), firstDeck());
    QCOMPARE(device->received<Deck>().size(), 1);
}

void HostEditingTest::invalidUpdateAnswersEveryProblem()
{
    TestHost host(firstDeck());
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(editor);
    const QByteArray before = readFile(host.deckPath());

    Deck broken = secondDeck();
    broken.deckName = QStringLiteral(" ");
    broken.controls[1].id = QStringLiteral("hello");
    editor->send(update("u1", broken));
    const auto result = waitForUpdateResult(*editor, "u1");
    QVERIFY(result);
    const QStringList problems{QStringLiteral("the title is empty"),
                               QStringLiteral("\"hello\": id is used more than once")};
    QCOMPARE(*result, (Message::DeckUpdateResult{"u1", false, problems}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Refused changes to the actions"));
    QCOMPARE(entry.detail, problems.join(QLatin1Char(' ')));
    QCOMPARE(readFile(host.deckPath()), before);
    QCOMPARE(host.coordinator().deck(), firstDeck());
}

void HostEditingTest::validUpdateIsSavedAndSentToEveryDevice()
{
    TestHost host(firstDeck());
    TestHost::writeEditingSetting(true);
    auto sender = host.pairedDevice("Sender");
    auto watcher = host.pairedDevice("Watcher");
    QVERIFY(sender && watcher);
    const QByteArray before = readFile(host.deckPath());

    QTest::ignoreMessage(QtInfoMsg, "Deck replaced by Sender");
    sender->send(update("u1", secondDeck()));
    const auto result = waitForUpdateResult(*sender, "u1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::DeckUpdateResult{"u1", true, {}}));
    for (Device *device : {sender.get(), watcher.get()}) {
        QVERIFY(waitFor([&] { return device->received<Deck>().size() == 2; }));
        QCOMPARE(device->received<Deck>().last(), secondDeck());
    }

    HostCoordinator &coordinator = host.coordinator();
    QCOMPARE(coordinator.deck(), secondDeck());
    QCOMPARE(DeckStore::parse(readFile(host.deckPath())), std::optional(secondDeck()));
    const QStringList copies = historyCopies();
    QCOMPARE(copies.size(), 1);
    QVERIFY(copies.first().contains("Sender"));
    QCOMPARE(readFile(QDir(DeckStore::historyFolderPath()).filePath(copies.first())), before);
    QCOMPARE(coordinator.lastLog(), QStringLiteral("Actions updated by Sender"));
    QCOMPARE(coordinator.activity().first().summary, QStringLiteral("Changed the actions"));
    // The host's own save is not taken for an edit made outside.
    QSignalSpy checks(coordinator.deckWatcher(), &DeckWatcher::checked);
    QVERIFY(waitFor([&] { return checks.count() >= 1; }));
    QCOMPARE(coordinator.activity().first().summary, QStringLiteral("Changed the actions"));
}

QTEST_GUILESS_MAIN(HostEditingTest)
#include "HostEditingTest.moc"

#include "HostTestSupport.h"

#include "QuorvelCore/Link/DeviceText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

const QString hostedControls = QStringLiteral("Desk");

Message trigger(const QString &requestID, const QString &controlID,
                std::optional<bool> desiredState = std::nullopt)
{
    return Message(Message::TriggerAction{requestID, controlID, desiredState});
}

// A switch whose state is a file: on creates it, off removes it, the check looks for it.
Control fileSwitch(const QString &id, const QString &file)
{
    return shellToggle(id, QStringLiteral("touch '%1'").arg(file),
                       QStringLiteral("rm -f '%1'").arg(file),
                       QStringLiteral("test -e '%1'").arg(file));
}

Control readout()
{
    Control control;
    control.id = QStringLiteral("gauge");
    control.title = QStringLiteral("Gauge");
    control.type = ControlType::metric;
    control.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, QStringLiteral("echo 42"),
                                      std::nullopt, std::nullopt};
    return control;
}

bool hasState(const Device &device, const QString &id, std::optional<bool> isOn, bool busy)
{
    for (const Message::StateUpdate &update : device.received<Message::StateUpdate>()) {
        for (const ControlState &state : update.states) {
            if (state.id == id && state.isOn == isOn && state.isBusy == busy) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class HostActionsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonRunsAndAnswers();
    void failedRunAnswersItsSummary();
    void switchGoesToTheWantedState_data();
    void switchGoesToTheWantedState();
    void stateChangeReachesOnlyPairedDevices();
    void ninthRunIsRefusedWhileEightRun();
    void controlIsRunningUntilItsRecheckEnds();
    void answerOfDepartedDeviceIsDropped();
    void runOutlivesStop();
    void runOutlivesTheCoordinator();
    void requestOnItsWayAtStopIsNotServed();
    void deckReplacedDuringRun();
    void unknownControlIsAnError();
    void nothingToRun_data();
    void nothingToRun();
};

void HostActionsTest::buttonRunsAndAnswers()
{
    TestHost host(Deck{hostedControls, {shellButton("hello", "echo hi")}});
    const QString longName(100, QLatin1Char('x'));
    auto device = host.pairedDevice(longName);
    QVERIFY(device);

    // A button ignores a state asked for.
    device->send(trigger("r1", "hello", false));
    const auto result = device->waitForResult("r1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::ActionResult{"r1", "hello", true, QStringLiteral("hi")}));

    HostCoordinator &coordinator = host.coordinator();
    const HostActivity entry = coordinator.activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Ran Button hello"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::ok);
    QCOMPARE(entry.detail, QStringLiteral("hi"));
    // The name is clipped where it enters the host, before the activity's own clipping.
    const QString keptName = DeviceText::deviceName(longName);
    QCOMPARE(entry.device, HostActivity::clip(keptName, HostActivity::deviceLimit));
    QVERIFY(entry.device != longName);
    QCOMPARE(coordinator.connectedClients().values(), QStringList{keptName});
    QCOMPARE(coordinator.lastLog(), QStringLiteral("Button hello: shell echo hi"));
    QVERIFY(waitFor([&] { return hasState(*device, "hello", std::nullopt, false); }));
    QVERIFY(hasState(*device, "hello", std::nullopt, true));
    QVERIFY(coordinator.runningControls().isEmpty());
}

void HostActionsTest::failedRunAnswersItsSummary()
{
    TestHost host(
        Deck{hostedControls, {shellButton("fail", "echo partial; echo oops >&2; exit 3")}});
    auto device = host.pairedDevice();
    QVERIFY(device);

    device->send(trigger("r1", "fail"));
    const auto result = device->waitForResult("r1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::ActionResult{"r1", "fail", false, QStringLiteral("oops")}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Ran Button fail"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QCOMPARE(entry.detail, QStringLiteral("oops"));
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
}

void HostActionsTest::switchGoesToTheWantedState_data()
{
    QTest::addColumn<bool>("initiallyOn");
    // -1: no state asked for; 0: off; 1: on.
    QTest::addColumn<int>("desired");
    QTest::addColumn<bool>("endsOn");
    QTest::addColumn<QString>("summary");

    QTest::newRow("off, none asked: turns on") << false << -1 << true << "Turned on Switch lamp";
    QTest::newRow("on, none asked: turns off") << true << -1 << false << "Turned off Switch lamp";
    QTest::newRow("off, off asked: runs off") << false << 0 << false << "Turned off Switch lamp";
    QTest::newRow("on, on asked: runs on") << true << 1 << true << "Turned on Switch lamp";
}

void HostActionsTest::switchGoesToTheWantedState()
{
    QFETCH(bool, initiallyOn);
    QFETCH(int, desired);
    QFETCH(bool, endsOn);
    QFETCH(QString, summary);
    QTemporaryDir dir;
    const QString lampFile = dir.filePath("lamp");
    if (initiallyOn) {
        QFile file(lampFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    TestHost host(Deck{hostedControls, {fileSwitch("lamp", lampFile)}});
    auto device = host.pairedDevice();
    QVERIFY(device);

    device->send(trigger("r1", "lamp", desired < 0 ? std::nullopt : std::optional(desired == 1)));
    const auto result = device->waitForResult("r1");
    QVERIFY(result);
    QVERIFY(result->ok);
    QCOMPARE(QFile::exists(lampFile), endsOn);
    QCOMPARE(host.coordinator().activity().first().summary, summary);
    // The re-check brings the new state to the device, and the control is free again.
    QVERIFY(waitFor([&] { return hasState(*device, "lamp", endsOn, false); }));
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
    QCOMPARE(host.coordinator().latestStates().value("lamp").isOn, std::optional(endsOn));
}

void HostActionsTest::stateChangeReachesOnlyPairedDevices()
{
    QTemporaryDir dir;
    TestHost host(Deck{hostedControls, {fileSwitch("lamp", dir.filePath("lamp"))}});
    auto first = host.pairedDevice("First");
    auto second = host.pairedDevice("Second");
    QVERIFY(first && second);
    auto stranger = host.connect("Stranger");
    QVERIFY(stranger && stranger->waitForChallenge());

    first->send(trigger("r1", "lamp"));
    QVERIFY(waitFor([&] { return hasState(*first, "lamp", true, false); }));
    QVERIFY(waitFor([&] { return hasState(*second, "lamp", true, false); }));
    QVERIFY(second->received<Message::ActionResult>().isEmpty());

    // The host's refusal is written after anything it sent the stranger before.
    stranger->hello(QStringLiteral("0000"));
    QVERIFY(waitFor([&] { return stranger->disconnected(); }));
    QVERIFY(stranger->received<Message::StateUpdate>().isEmpty());
    QCOMPARE(stranger->received<Message::Error>().size(), 1);
}

void HostActionsTest::ninthRunIsRefusedWhileEightRun()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    Deck deck{hostedControls, {shellButton("hello", "echo hi")}};
    for (int i = 1; i <= HostCoordinator::maxRunningActions; ++i) {
        const QString id = QStringLiteral("block-%1").arg(i);
        deck.controls.push_back(shellButton(id, gate.command(id)));
    }
    TestHost host(deck);
    auto device = host.pairedDevice();
    QVERIFY(device);
    HostCoordinator &coordinator = host.coordinator();

    for (int i = 1; i < HostCoordinator::maxRunningActions; ++i) {
        device->send(trigger(QStringLiteral("b%1").arg(i), QStringLiteral("block-%1").arg(i)));
    }
    QVERIFY(gate.waitForStarted(HostCoordinator::maxRunningActions - 1));
    // With seven running there is room for one more.
    device->send(trigger("h1", "hello"));
    const auto seventh = device->waitForResult("h1");
    QVERIFY(seventh);
    QVERIFY(seventh->ok);

    device->send(trigger("b8", "block-8"));
    QVERIFY(gate.waitForStarted(HostCoordinator::maxRunningActions));
    QCOMPARE(coordinator.runningControls().size(), HostCoordinator::maxRunningActions);
    device->send(trigger("h2", "hello"));
    const auto ninth = device->waitForResult("h2");
    QVERIFY(ninth);
    QCOMPARE(*ninth, (Message::ActionResult{
                         "h2", "hello", false,
                         QStringLiteral("Too many actions are running on %1; try again in a moment")
                             .arg(coordinator.hostName())}));
    // A running control is refused as running, even at the limit.
    device->send(trigger("again", "block-3"));
    const auto again = device->waitForResult("again");
    QVERIFY(again);
    QCOMPARE(again->output, QStringLiteral("Button block-3 is still running"));
    QVERIFY(!again->ok);

    gate.release();
    for (int i = 1; i <= HostCoordinator::maxRunningActions; ++i) {
        const auto result = device->waitForResult(QStringLiteral("b%1").arg(i));
        QVERIFY(result);
        QVERIFY(result->ok);
    }
    QVERIFY(waitFor([&] { return coordinator.runningControls().isEmpty(); }));
    device->send(trigger("h3", "hello"));
    const auto afterwards = device->waitForResult("h3");
    QVERIFY(afterwards && afterwards->ok);
    // Refusals leave no trace in the activity: 8 blocking runs and 2 of hello.
    QCOMPARE(coordinator.activity().size(), 1 + HostCoordinator::maxRunningActions + 2);
}

void HostActionsTest::controlIsRunningUntilItsRecheckEnds()
{
    QTemporaryDir dir;
    const QString shown = dir.filePath("shown");
    // The switch's program says it worked, but its state shows only when the test says so.
    HostCoordinator::Options options = TestHost::quickOptions();
    options.recheckAttempts = 100000;
    TestHost host(
        Deck{hostedControls,
             {shellToggle("slow", "true", "true", QStringLiteral("test -e '%1'").arg(shown))}},
        options);
    auto device = host.pairedDevice();
    QVERIFY(device);

    device->send(trigger("r1", "slow", true));
    const auto first = device->waitForResult("r1");
    QVERIFY(first && first->ok);
    device->send(trigger("r2", "slow", true));
    const auto second = device->waitForResult("r2");
    QVERIFY(second);
    QCOMPARE(*second, (Message::ActionResult{"r2", "slow", false,
                                             QStringLiteral("Switch slow is still running")}));

    QFile file(shown);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
    QVERIFY(waitFor([&] { return hasState(*device, "slow", true, false); }));
}

void HostActionsTest::answerOfDepartedDeviceIsDropped()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    TestHost host(Deck{hostedControls, {shellButton("wait", gate.command("wait"))}});
    auto device = host.pairedDevice();
    QVERIFY(device);
    device->send(trigger("r1", "wait"));
    QVERIFY(gate.waitForStarted(1));

    device.reset();
    QVERIFY(waitFor([&] { return host.coordinator().connectedClients().isEmpty(); }));
    gate.release();
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.device, QStringLiteral("a paired device"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::ok);
}

void HostActionsTest::runOutlivesStop()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    TestHost host(Deck{hostedControls, {shellButton("wait", gate.command("wait"))}});
    auto device = host.pairedDevice();
    QVERIFY(device);
    device->send(trigger("r1", "wait"));
    QVERIFY(gate.waitForStarted(1));

    HostCoordinator &coordinator = host.coordinator();
    coordinator.stop();
    QVERIFY(waitFor([&] { return device->disconnected(); }));
    gate.release();
    // The run ends as it would have, recorded and released; its answer has nowhere to go.
    QVERIFY(waitFor([&] { return coordinator.runningControls().isEmpty(); }));
    QCOMPARE(coordinator.activity().first().summary, QStringLiteral("Ran Button wait"));
    QCOMPARE(coordinator.activity().first().outcome, HostActivity::Outcome::ok);
    QVERIFY(!coordinator.latestStates().value("wait").isBusy);
    QVERIFY(device->received<Message::ActionResult>().isEmpty());
}

void HostActionsTest::runOutlivesTheCoordinator()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    auto host = std::make_unique<TestHost>(
        Deck{hostedControls, {shellToggle("lamp", gate.command("lamp"), "true", "true")}});
    auto device = host->pairedDevice();
    QVERIFY(device);
    const QUuid client = *host->coordinator().authenticatedClients().cbegin();

    // The dispatcher's task for a run, kept so that the test can wait for its very end.
    QCoro::Task<> handling = host->coordinator().handle(trigger("r1", "lamp", true), client);
    QVERIFY(gate.waitForStarted(1));
    // Hosting is dropped while the program runs; the run's end must touch nothing of it.
    host.reset();
    gate.release();
    QCoro::waitFor(std::move(handling));
    QVERIFY(device->received<Message::ActionResult>().isEmpty());
}

void HostActionsTest::requestOnItsWayAtStopIsNotServed()
{
    QTemporaryDir dir;
    const QString ran = dir.filePath("ran");
    TestHost host(
        Deck{hostedControls, {shellButton("mark", QStringLiteral("touch '%1'").arg(ran))}});
    auto device = host.pairedDevice();
    QVERIFY(device);
    HostCoordinator &coordinator = host.coordinator();
    const QUuid client = *coordinator.authenticatedClients().cbegin();
    const qsizetype entries = coordinator.activity().size();

    // The server hands the request over just before hosting is turned off; the coordinator
    // hears of it only afterwards.
    coordinator.server().onMessage(client, trigger("r1", "mark"));
    coordinator.stop();
    QCoreApplication::sendPostedEvents(&coordinator, QEvent::MetaCall);
    QVERIFY(coordinator.runningControls().isEmpty());
    QVERIFY(coordinator.lastLog().isEmpty());
    QCOMPARE(coordinator.activity().size(), entries);
}

void HostActionsTest::deckReplacedDuringRun()
{
    RunGate gate;
    QVERIFY(gate.isValid());
    const Control waiting = shellButton("wait", gate.command("wait"));
    TestHost host(Deck{hostedControls, {waiting, shellButton("hello", "echo hi")}});
    auto device = host.pairedDevice("Phone");
    auto editor = host.pairedDevice("This computer", true);
    QVERIFY(device && editor);
    device->send(trigger("r1", "wait"));
    QVERIFY(gate.waitForStarted(1));
    QVERIFY(waitFor([&] { return hasState(*device, "wait", std::nullopt, true); }));

    const Deck without{hostedControls, {shellButton("hello", "echo hi")}};
    editor->send(Message(Message::UpdateDeck{QStringLiteral("u1"), without}));
    QVERIFY(editor->waitForMessage<Message::DeckUpdateResult>());
    QVERIFY(waitFor([&] { return device->received<Deck>().size() == 2; }));
    const qsizetype updatesBefore = device->received<Message::StateUpdate>().size();

    gate.release();
    const auto result = device->waitForResult("r1");
    QVERIFY(result && result->ok);
    QVERIFY(waitFor([&] { return host.coordinator().runningControls().isEmpty(); }));
    // The action that left the deck gets no state back, neither here nor on the devices.
    QVERIFY(!host.coordinator().latestStates().contains("wait"));
    const QList<Message::StateUpdate> updates = device->received<Message::StateUpdate>();
    for (qsizetype i = updatesBefore; i < updates.size(); ++i) {
        for (const ControlState &state : updates[i].states) {
            QVERIFY(state.id != QStringLiteral("wait"));
        }
    }
}

void HostActionsTest::unknownControlIsAnError()
{
    TestHost host(Deck{hostedControls, {shellButton("hello", "echo hi")}});
    auto device = host.pairedDevice();
    QVERIFY(device);
    const qsizetype entries = host.coordinator().activity().size();

    device->send(trigger("r1", "missing"));
    const auto error = device->waitForMessage<Message::Error>();
    QVERIFY(error);
    QCOMPARE(*error, (Message::Error{Message::ErrorCode::unknownControl, "missing"}));
    device->send(trigger("r2", "hello"));
    QVERIFY(device->waitForResult("r2"));
    QVERIFY(!device->disconnected());
    QCOMPARE(host.coordinator().activity().size(), entries + 1);
}

void HostActionsTest::nothingToRun_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("desired");
    QTest::newRow("readout") << "gauge" << -1;
    QTest::newRow("switch without off action") << "half" << 0;
}

void HostActionsTest::nothingToRun()
{
    QFETCH(QString, control);
    QFETCH(int, desired);
    TestHost host(
        Deck{hostedControls, {readout(), shellToggle("half", "true", std::nullopt, "true")}});
    auto device = host.pairedDevice();
    QVERIFY(device);
    const qsizetype entries = host.coordinator().activity().size();

    device->send(trigger("r1", control, desired < 0 ? std::nullopt : std::optional(desired == 1)));
    const auto result = device->waitForResult("r1");
    QVERIFY(result);
    QCOMPARE(*result,
             (Message::ActionResult{"r1", control, false, QStringLiteral("nothing to run")}));
    QVERIFY(host.coordinator().runningControls().isEmpty());
    QCOMPARE(host.coordinator().activity().size(), entries);
    QVERIFY(host.coordinator().lastLog().isEmpty());
}

QTEST_GUILESS_MAIN(HostActionsTest)
#include "HostActionsTest.moc"

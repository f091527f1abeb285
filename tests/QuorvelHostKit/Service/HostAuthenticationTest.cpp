#include "HostTestSupport.h"

#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

Deck testDeck()
{
    return Deck{QStringLiteral("Desk"),
                {shellButton(QStringLiteral("hello"), QStringLiteral("echo hi")),
                 shellToggle(QStringLiteral("lamp"), QStringLiteral("true"), QStringLiteral("true"),
                             QStringLiteral("true"))}};
}

QJsonObject statusFile()
{
    QFile file(HostTokenStore::folderPath() + QStringLiteral("/status.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

Message::Error errorOf(const Device &device)
{
    const QList<Message::Error> errors = device.received<Message::Error>();
    return errors.isEmpty() ? Message::Error{} : errors.first();
}

bool knowsLamp(const Device &device)
{
    for (const Message::StateUpdate &update : device.received<Message::StateUpdate>()) {
        for (const ControlState &state : update.states) {
            if (state.id == QStringLiteral("lamp")) {
                return true;
            }
        }
    }
    return false;
}

// The kinds of the messages the device got, in order.
QList<Message::Kind> kinds(const Device &device)
{
    QList<Message::Kind> found;
    for (const Message &message : device.messages()) {
        found.append(message.kind());
    }
    return found;
}

} // namespace

class HostAuthenticationTest : public QObject {
    Q_OBJECT

private slots:
    void pairedDeviceGetsInfoDeckAndStates();
    void wrongProofIsRefusedAndClosed_data();
    void wrongProofIsRefusedAndClosed();
    void otherProtocolVersionIsRefused_data();
    void otherProtocolVersionIsRefused();
    void messageBeforeHelloIsRefusedAndClosed();
    void secondHelloIsRefusedAndClosed();
    void editorProofMakesLocalEditor_data();
    void editorProofMakesLocalEditor();
    void disconnectForgetsTheClient();
    void deviceBeyondThePairedCapIsNeverConnected();
    void requestStateAnswersOnlyTheAsker();
    void hostMessagesFromDeviceAreIgnored();
    void catalogNeedsEditingRights();
    void editingSettingTellsEachDeviceItsRights();
    void recheckKeepsPairedDevicesConnected();
};

void HostAuthenticationTest::pairedDeviceGetsInfoDeckAndStates()
{
    TestHost host(testDeck());
    auto device = host.connect(QStringLiteral("Kitchen iPad"));
    QVERIFY(device);
    QVERIFY(device->pair(TestHost::code()));

    using Kind = Message::Kind;
    QCOMPARE(kinds(*device).mid(0, 4),
             (QList<Kind>{Kind::challenge, Kind::hostInfo, Kind::deck, Kind::stateUpdate}));
    const HostInfo info = device->received<HostInfo>().first();
    QCOMPARE(info.hostName, host.coordinator().hostName());
    QVERIFY(!info.deckEditingAllowed);
    QCOMPARE(device->received<Deck>().first(), testDeck());

    HostCoordinator &coordinator = host.coordinator();
    QCOMPARE(coordinator.authenticatedClients().size(), 1);
    QVERIFY(coordinator.localEditors().isEmpty());
    QVERIFY(coordinator.pendingNonces().isEmpty());
    QCOMPARE(coordinator.connectedClientNames(), QStringList{QStringLiteral("Kitchen iPad")});
    QCOMPARE(statusFile().value(QStringLiteral("clients")).toInt(), 1);
    const HostActivity entry = coordinator.activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Connected"));
    QCOMPARE(entry.device, QStringLiteral("Kitchen iPad"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::info);
    QVERIFY(!device->disconnected());
}

void HostAuthenticationTest::wrongProofIsRefusedAndClosed_data()
{
    QTest::addColumn<bool>("withProof");
    QTest::newRow("wrong proof") << true;
    QTest::newRow("no proof") << false;
}

void HostAuthenticationTest::wrongProofIsRefusedAndClosed()
{
    QFETCH(bool, withProof);
    TestHost host(testDeck());
    auto device = host.connect();
    QVERIFY(device);
    const std::optional<QString> nonce = device->waitForChallenge();
    QVERIFY(nonce);
    const PairingToken otherCode = PairingToken::generate();
    QTest::ignoreMessage(QtInfoMsg, "Rejected client 'Phone': bad or missing pairing response");
    device->hello(withProof ? std::optional(otherCode.proof(*nonce)) : std::nullopt);

    QVERIFY(waitFor([&] { return device->disconnected(); }));
    QCOMPARE(errorOf(*device),
             (Message::Error{Message::ErrorCode::unauthorized,
                             QStringLiteral("pairing code is missing or wrong")}));
    QVERIFY(device->received<HostInfo>().isEmpty());
    QVERIFY(device->received<Deck>().isEmpty());
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Refused: wrong or missing pairing code"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QVERIFY(waitFor([&] { return host.coordinator().pendingNonces().isEmpty(); }));
    QVERIFY(host.coordinator().authenticatedClients().isEmpty());
}

void HostAuthenticationTest::otherProtocolVersionIsRefused_data()
{
    QTest::addColumn<qint64>("version");
    QTest::newRow("older") << qint64(1);
    QTest::newRow("newer") << qint64(3);
}

void HostAuthenticationTest::otherProtocolVersionIsRefused()
{
    QFETCH(qint64, version);
    TestHost host(testDeck());
    auto device = host.connect();
    QVERIFY(device);
    const std::optional<QString> nonce = device->waitForChallenge();
    QVERIFY(nonce);
    device->hello(TestHost::code().proof(*nonce), std::nullopt, version);

    QVERIFY(waitFor([&] { return device->disconnected(); }));
    QCOMPARE(errorOf(*device),
             (Message::Error{Message::ErrorCode::versionMismatch,
                             QStringLiteral("host speaks v2, client sent v%1").arg(version)}));
    const HostActivity entry = host.coordinator().activity().first();
    QCOMPARE(entry.summary, QStringLiteral("Refused: a different version of Quorvel"));
    QCOMPARE(entry.detail,
             QStringLiteral("This host speaks version 2, the device version %1.").arg(version));
    QVERIFY(host.coordinator().authenticatedClients().isEmpty());
}

void HostAuthenticationTest::messageBeforeHelloIsRefusedAndClosed()
{
    TestHost host(testDeck());
    auto device = host.connect();
    QVERIFY(device);
    QVERIFY(device->waitForChallenge());
    QTest::ignoreMessage(QtInfoMsg, "Dropping message from unauthenticated client");
    device->send(Message(
        Message::TriggerAction{QStringLiteral("r1"), QStringLiteral("hello"), std::nullopt}));

    QVERIFY(waitFor([&] { return device->disconnected(); }));
    QCOMPARE(errorOf(*device), (Message::Error{Message::ErrorCode::unauthorized,
                                               QStringLiteral("pair this device first")}));
    QVERIFY(device->received<Message::ActionResult>().isEmpty());
    QVERIFY(host.coordinator().lastLog().isEmpty());
}

void HostAuthenticationTest::secondHelloIsRefusedAndClosed()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice();
    QVERIFY(device);
    const QString nonce = device->received<Message::Challenge>().first().nonce;
    device->hello(TestHost::code().proof(nonce));

    QVERIFY(waitFor([&] { return device->disconnected(); }));
    QCOMPARE(errorOf(*device).message, QStringLiteral("pairing code is missing or wrong"));
    QVERIFY(waitFor([&] { return host.coordinator().authenticatedClients().isEmpty(); }));
    QVERIFY(host.coordinator().connectedClients().isEmpty());
}

void HostAuthenticationTest::editorProofMakesLocalEditor_data()
{
    QTest::addColumn<bool>("rightKey");
    QTest::newRow("editor key") << true;
    QTest::newRow("wrong editor key") << false;
}

void HostAuthenticationTest::editorProofMakesLocalEditor()
{
    QFETCH(bool, rightKey);
    TestHost host(testDeck());
    auto device = host.connect();
    QVERIFY(device);
    const std::optional<QString> nonce = device->waitForChallenge();
    QVERIFY(nonce);
    const PairingToken editorKey =
        rightKey ? host.coordinator().editorKey() : PairingToken::generate();
    device->hello(TestHost::code().proof(*nonce), editorKey.proof(*nonce));

    const std::optional<HostInfo> info = device->waitForMessage<HostInfo>();
    QVERIFY(info);
    QCOMPARE(info->deckEditingAllowed, rightKey);
    QCOMPARE(host.coordinator().localEditors().size(), rightKey ? 1 : 0);
    QCOMPARE(host.coordinator().authenticatedClients().size(), 1);
    QVERIFY(!host.coordinator().allowDeckEditing());
    QVERIFY(device->received<Message::Error>().isEmpty());
}

void HostAuthenticationTest::disconnectForgetsTheClient()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice(QStringLiteral("Phone"), true);
    QVERIFY(device);
    auto waiting = host.connect(QStringLiteral("Waiting"));
    QVERIFY(waiting && waiting->waitForChallenge());
    HostCoordinator &coordinator = host.coordinator();
    QCOMPARE(coordinator.localEditors().size(), 1);
    QCOMPARE(coordinator.pendingNonces().size(), 1);

    device.reset();
    waiting.reset();
    QVERIFY(waitFor([&] {
        return coordinator.connectedClients().isEmpty() &&
               coordinator.authenticatedClients().isEmpty() &&
               coordinator.localEditors().isEmpty() && coordinator.pendingNonces().isEmpty();
    }));
    QVERIFY(waitFor([] { return statusFile().value(QStringLiteral("clients")).toInt() == 0; }));
}

void HostAuthenticationTest::deviceBeyondThePairedCapIsNeverConnected()
{
    TestHost host(testDeck());
    HostCoordinator &coordinator = host.coordinator();
    // The most devices the host ever counted as connected, however briefly.
    qsizetype mostConnected = 0;
    QObject::connect(&coordinator, &HostCoordinator::connectedClientsChanged, &coordinator, [&] {
        mostConnected = std::max(mostConnected, coordinator.connectedClients().size());
    });
    std::vector<std::unique_ptr<Device>> devices;
    for (int i = 0; i < HostServer::maxPairedLinks; ++i) {
        devices.push_back(host.pairedDevice(QStringLiteral("Device %1").arg(i)));
        QVERIFY(devices.back());
    }

    auto extra = host.connect(QStringLiteral("Extra"));
    QVERIFY(extra);
    const std::optional<QString> nonce = extra->waitForChallenge();
    QVERIFY(nonce);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral(
                             "Refusing client .*: 64 paired devices are already connected")));
    extra->hello(TestHost::code().proof(*nonce));
    QVERIFY(waitFor([&] { return extra->disconnected(); }));
    QCOMPARE(errorOf(*extra), (Message::Error{Message::ErrorCode::unauthorized,
                                              QStringLiteral("too many devices are connected")}));
    QVERIFY(extra->received<HostInfo>().isEmpty());
    QVERIFY(waitFor([&] { return coordinator.pendingNonces().isEmpty(); }));
    QCOMPARE(mostConnected, HostServer::maxPairedLinks);
    QCOMPARE(coordinator.authenticatedClients().size(), HostServer::maxPairedLinks);
    QCOMPARE(coordinator.connectedClientNames().size(), HostServer::maxPairedLinks);
    QVERIFY(!coordinator.connectedClientNames().contains(QStringLiteral("Extra")));
    QCOMPARE(statusFile().value(QStringLiteral("clients")).toInt(), HostServer::maxPairedLinks);
    for (const HostActivity &entry : coordinator.activity())
        QVERIFY2(entry.device != QStringLiteral("Extra"), qPrintable(entry.summary));

    // A paired device leaving makes room for the next one.
    devices.front().reset();
    QVERIFY(waitFor([&] {
        return coordinator.authenticatedClients().size() == HostServer::maxPairedLinks - 1;
    }));
    auto next = host.pairedDevice(QStringLiteral("Next"));
    QVERIFY(next);
    QVERIFY(next->received<Message::Error>().isEmpty());
    QVERIFY(coordinator.connectedClientNames().contains(QStringLiteral("Next")));
    QCOMPARE(coordinator.activity().first().device, QStringLiteral("Next"));
    QCOMPARE(coordinator.activity().first().summary, QStringLiteral("Connected"));
    QCOMPARE(statusFile().value(QStringLiteral("clients")).toInt(), HostServer::maxPairedLinks);
}

void HostAuthenticationTest::requestStateAnswersOnlyTheAsker()
{
    TestHost host(testDeck());
    auto asker = host.pairedDevice(QStringLiteral("Asker"));
    auto other = host.pairedDevice(QStringLiteral("Other"));
    QVERIFY(asker && other);
    // The switch's first poll has told everyone its state; from here on states stay put.
    QVERIFY(waitFor([&] { return knowsLamp(*asker) && knowsLamp(*other); }));
    const qsizetype askerBefore = asker->received<Message::StateUpdate>().size();
    const qsizetype otherBefore = other->received<Message::StateUpdate>().size();

    asker->send(Message(Message::RequestState{}));
    const auto answer = asker->waitForMessage<Message::StateUpdate>({}, askerBefore);
    QVERIFY(answer);
    QCOMPARE(answer->states.size(), size_t(1));
    QCOMPARE(answer->states.front().id, QStringLiteral("lamp"));
    QCOMPARE(answer->states.front().isOn, std::optional<bool>(true));
    // A request of the other device is answered after anything sent for the asker's.
    other->send(Message(Message::RequestState{}));
    QVERIFY(other->waitForMessage<Message::StateUpdate>({}, otherBefore));
    QCOMPARE(other->received<Message::StateUpdate>().size(), otherBefore + 1);
}

void HostAuthenticationTest::hostMessagesFromDeviceAreIgnored()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice();
    QVERIFY(device);
    const size_t before = device->messages().size();
    const QByteArray deckBytes = readFile(host.deckPath());

    device->send(Message(Deck{QStringLiteral("Hijack"), {}}));
    device->send(Message(Message::Error{QStringLiteral("boom"), QStringLiteral("boom")}));
    device->send(Message(Message::ActionResult{"r", "hello", true, QStringLiteral("fake")}));
    device->send(Message(
        Message::TriggerAction{QStringLiteral("r2"), QStringLiteral("hello"), std::nullopt}));

    // Only the run of the last message is answered; the others get no reply at all.
    QVERIFY(device->waitForResult(QStringLiteral("r2")));
    for (size_t i = before; i < device->messages().size(); ++i) {
        const Message::Kind kind = device->messages().at(i).kind();
        QVERIFY(kind == Message::Kind::stateUpdate || kind == Message::Kind::actionResult);
    }
    QCOMPARE(device->received<Message::ActionResult>().size(), 1);
    QVERIFY(!device->disconnected());
    QCOMPARE(host.coordinator().deck(), testDeck());
    QCOMPARE(readFile(host.deckPath()), deckBytes);
}

void HostAuthenticationTest::catalogNeedsEditingRights()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice();
    auto editor = host.pairedDevice(QStringLiteral("This computer"), true);
    QVERIFY(device && editor);

    device->send(Message(Message::RequestCatalog{}));
    const auto refusal = device->waitForMessage<Message::Error>();
    QVERIFY(refusal);
    QCOMPARE(refusal->code, Message::ErrorCode::deckEditingDisabled);
    QCOMPARE(refusal->message,
             QStringLiteral("Editing actions from other devices is turned off on %1.")
                 .arg(host.coordinator().hostName()));
    QVERIFY(!device->disconnected());

    editor->send(Message(Message::RequestCatalog{}));
    QVERIFY(editor->waitForMessage<HostCatalog>());

    // A change of the setting made outside counts at the next request.
    TestHost::writeEditingSetting(true);
    device->send(Message(Message::RequestCatalog{}));
    QVERIFY(device->waitForMessage<HostCatalog>());
    QVERIFY(host.coordinator().allowDeckEditing());
    QCOMPARE(device->received<Message::Error>().size(), 1);
}

void HostAuthenticationTest::editingSettingTellsEachDeviceItsRights()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice();
    auto editor = host.pairedDevice(QStringLiteral("This computer"), true);
    auto waiting = host.connect(QStringLiteral("Waiting"));
    QVERIFY(device && editor && waiting && waiting->waitForChallenge());
    HostCoordinator &coordinator = host.coordinator();

    // The same value again still tells every paired device.
    coordinator.setAllowDeckEditing(false);
    QVERIFY(waitFor([&] { return device->received<HostInfo>().size() == 2; }));
    QVERIFY(!device->received<HostInfo>().last().deckEditingAllowed);
    QVERIFY(waitFor([&] { return editor->received<HostInfo>().size() == 2; }));
    QVERIFY(editor->received<HostInfo>().last().deckEditingAllowed);

    coordinator.setAllowDeckEditing(true);
    QVERIFY(waitFor([&] { return device->received<HostInfo>().size() == 3; }));
    QVERIFY(device->received<HostInfo>().last().deckEditingAllowed);
    // A device that has not paired hears nothing; its next message is its refusal.
    waiting->send(Message(Message::RequestState{}));
    QVERIFY(waitFor([&] { return waiting->disconnected(); }));
    QVERIFY(waiting->received<HostInfo>().isEmpty());
}

void HostAuthenticationTest::recheckKeepsPairedDevicesConnected()
{
    TestHost host(testDeck());
    auto device = host.pairedDevice();
    QVERIFY(device);
    HostCoordinator &coordinator = host.coordinator();
    const quint16 port = *coordinator.port();
    LocalNetworkMonitor *monitor = coordinator.localNetworkMonitor();
    QVERIFY(monitor);

    // A restart is due, but a paired device evidently reaches the host: advertise again only.
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression("advertising again instead of restarting the "
                                            "listener.*\\(attempt 4\\)"));
    emit monitor->recheckDue(4);
    const qsizetype before = device->received<Message::StateUpdate>().size();
    device->send(Message(Message::RequestState{}));
    QVERIFY(device->waitForMessage<Message::StateUpdate>({}, before));
    QVERIFY(!device->disconnected());
    QCOMPARE(coordinator.authenticatedClients().size(), 1);

    // Without paired devices the listener is made anew, which drops waiting connections.
    device.reset();
    QVERIFY(waitFor([&] { return coordinator.authenticatedClients().isEmpty(); }));
    auto waiting = host.connect();
    QVERIFY(waiting && waiting->waitForChallenge());
    QTest::ignoreMessage(QtInfoMsg, "Still not discoverable; restarting listener (attempt 8)");
    emit monitor->recheckDue(8);
    QVERIFY(waitFor([&] { return waiting->disconnected(); }));
    QVERIFY(waitFor([&] { return coordinator.listenerStatus().startsWith("listening on :"); }));
    QCOMPARE(*coordinator.port(), port);
}

QTEST_GUILESS_MAIN(HostAuthenticationTest)
#include "HostAuthenticationTest.moc"

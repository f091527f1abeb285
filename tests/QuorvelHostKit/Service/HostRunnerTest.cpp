// The host as a process of its own, driven over real TLS on loopback by a real HostConnection
// and by a raw WebSocket for what a well-behaved device would never send.

#include "HostTestSupport.h"

#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/DeckStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QWebSocket>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

Deck runnerDeck()
{
    return Deck{QStringLiteral("Runner"), {shellButton("hello", "echo hi")}};
}

// A host-runner process serving a deck file of its own.
class Runner {
public:
    explicit Runner(const Deck &deck, const QStringList &arguments = {})
        : m_deckPath(m_dir.filePath(QStringLiteral("deck.json")))
    {
        writeDeckFile(m_deckPath, deck);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVEL_DECK"), m_deckPath);
        environment.insert(QStringLiteral("QUORVEL_TOKEN"), TestHost::code().normalized());
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(HOST_RUNNER), arguments);
    }
    ~Runner()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // The port the runner announced; none when it did not.
    std::optional<quint16> port()
    {
        waitFor([this] {
            return m_process.canReadLine() || m_process.state() == QProcess::NotRunning;
        });
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("port ")) {
            return std::nullopt;
        }
        return quint16(line.mid(5).toUInt());
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // Stops the runner as a service manager would, and tells whether it ended cleanly.
    bool terminate()
    {
        m_process.terminate();
        return m_process.waitForFinished(waitMilliseconds) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    const QString &deckPath() const { return m_deckPath; }

private:
    QTemporaryDir m_dir;
    QString m_deckPath;
    QProcess m_process;
};

// A device that speaks the link's transport but writes whatever text or bytes it is given.
class RawDevice {
public:
    RawDevice(quint16 port, const PairingToken &code)
    {
        makeParameters(code).configureClientSocket(m_socket);
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, &m_socket,
                         [this](const QString &text) {
                             m_received.append(QJsonDocument::fromJson(text.toUtf8()).object());
                         });
        m_socket.open(QUrl(QStringLiteral("wss://127.0.0.1:%1/").arg(port)));
    }

    bool pair(const PairingToken &code)
    {
        if (!waitFor([this] { return !m_received.isEmpty(); })) {
            return false;
        }
        const QString nonce = m_received.first().value(QStringLiteral("nonce")).toString();
        const QJsonObject hello{{"type", "hello"},
                                {"client_name", "Raw"},
                                {"protocol_version", 2},
                                {"auth", code.proof(nonce)}};
        sendText(QJsonDocument(hello).toJson(QJsonDocument::Compact));
        return waitFor([this] { return received("state_update") > 0; });
    }
    void sendText(const QString &text) { m_socket.sendTextMessage(text); }
    void sendBinary(const QByteArray &bytes) { m_socket.sendBinaryMessage(bytes); }
    qsizetype received(const QString &type) const
    {
        return std::count_if(m_received.cbegin(), m_received.cend(),
                             [&](const QJsonObject &object) {
                                 return object.value(QStringLiteral("type")).toString() == type;
                             });
    }
    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

private:
    QWebSocket m_socket;
    QList<QJsonObject> m_received;
};

} // namespace

class HostRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void servesAPairedDevice();
    void acceptsDeckChangesWhenAllowed();
    void hostileMessagesLeaveHostAndDeckFile();
};

void HostRunnerTest::servesAPairedDevice()
{
    Runner runner(runnerDeck());
    const std::optional<quint16> port = runner.port();
    QVERIFY(port);
    const QByteArray deckBytes = readFile(runner.deckPath());

    Device device(*port, TestHost::code());
    QVERIFY(device.pair(TestHost::code()));
    QCOMPARE(device.received<Deck>().first(), runnerDeck());
    QVERIFY(!device.received<HostInfo>().first().deckEditingAllowed);

    device.send(Message(Message::TriggerAction{"r1", "hello", std::nullopt}));
    const auto result = device.waitForResult("r1");
    QVERIFY(result);
    QCOMPARE(*result, (Message::ActionResult{"r1", "hello", true, QStringLiteral("hi")}));

    device.send(Message(Message::UpdateDeck{"u1", Deck{"Other", {shellButton("x", "true")}}}));
    const auto refused = device.waitForMessage<Message::DeckUpdateResult>();
    QVERIFY(refused);
    QVERIFY(!refused->ok);
    QVERIFY(refused->problems.first().contains("allowRemoteDeckEditing=true"));
    QCOMPARE(readFile(runner.deckPath()), deckBytes);

    QVERIFY(runner.terminate());
    QVERIFY(waitFor([&] { return device.disconnected(); }));
}

void HostRunnerTest::acceptsDeckChangesWhenAllowed()
{
    Runner runner(runnerDeck(), {QStringLiteral("--allow-deck-editing")});
    const std::optional<quint16> port = runner.port();
    QVERIFY(port);
    Device sender(*port, TestHost::code(), "Sender");
    Device watcher(*port, TestHost::code(), "Watcher");
    QVERIFY(sender.pair(TestHost::code()));
    QVERIFY(watcher.pair(TestHost::code()));
    QVERIFY(sender.received<HostInfo>().first().deckEditingAllowed);

    const Deck changed{"Changed", {shellButton("bye", "echo bye")}};
    sender.send(Message(Message::UpdateDeck{"u1", changed}));
    const auto accepted = sender.waitForMessage<Message::DeckUpdateResult>();
    QVERIFY(accepted);
    QVERIFY(accepted->ok);
    QVERIFY(waitFor([&] { return watcher.received<Deck>().size() == 2; }));
    QCOMPARE(watcher.received<Deck>().last(), changed);
    QCOMPARE(DeckStore::parse(readFile(runner.deckPath())), std::optional(changed));
    QVERIFY(runner.terminate());
}

void HostRunnerTest::hostileMessagesLeaveHostAndDeckFile()
{
    Runner runner(runnerDeck());
    const std::optional<quint16> port = runner.port();
    QVERIFY(port);
    const QByteArray deckBytes = readFile(runner.deckPath());
    RawDevice device(*port, TestHost::code());
    QVERIFY(device.pair(TestHost::code()));

    const QString longID(100000, QLatin1Char('x'));
    const QStringList texts{
        QString(),
        QStringLiteral("{"),
        QStringLiteral("[]"),
        QStringLiteral("null"),
        QStringLiteral("{\"type\":\"no_such_type\"}"),
        QStringLiteral("{\"type\":\"trigger_action\"}"),
        QStringLiteral("{\"type\":\"trigger_action\",\"request_id\":7,\"control_id\":[]}"),
        QStringLiteral("{\"type\":\"trigger_action\",\"request_id\":\"a\",\"control_id\":\"%1\"}")
            .arg(longID),
        QStringLiteral("{\"type\":\"update_deck\",\"request_id\":\"u\",\"deck\":{\"deck_name\":"
                       "\"Hijack\",\"controls\":[]}}"),
        QStringLiteral("{\"type\":\"update_deck\",\"request_id\":\"u\",\"deck\":{\"deck_name\":"
                       "\"Hijack\",\"controls\":[{\"id\":\"a\",\"title\":\"A\",\"type\":\"button\","
                       "\"action\":{\"type\":\"shell\",\"target\":\"true\"}}]}}"),
        QStringLiteral("{\"type\":\"test\",\"request_id\":\"t\",\"action\":{\"type\":\"shell\","
                       "\"target\":\"true\",\"timeout\":1e308}}"),
        QStringLiteral("{\"type\":\"deck\",\"deck_name\":\"Hijack\",\"controls\":[]}"),
        QString(QStringLiteral("[")).repeated(100000),
    };
    for (const QString &text : texts) {
        device.sendText(text);
    }
    device.sendBinary(QByteArray("\xff\xfe\x00garbage", 10));

    // The host answers a request sent after all of them, and the deck file never changed.
    const qsizetype before = device.received("state_update");
    device.sendText(QStringLiteral("{\"type\":\"request_state\"}"));
    QVERIFY(waitFor([&] { return device.received("state_update") > before; }));
    QVERIFY(device.isOpen());
    QVERIFY(runner.isRunning());
    QCOMPARE(device.received("deck_update_result"), 2);
    QCOMPARE(device.received("test_result"), 1);
    QCOMPARE(readFile(runner.deckPath()), deckBytes);
    QVERIFY(runner.terminate());
}

QTEST_GUILESS_MAIN(HostRunnerTest)
#include "HostRunnerTest.moc"

#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::LinkTest;
using namespace std::chrono_literals;
using Kind = HostConnection::Status::Kind;

namespace {

// A remote that has finished TLS and the WebSocket upgrade, as the server saw it arrive.
struct Remote {
    ConnectionLog log;
    std::unique_ptr<HostConnection> connection;
    QUuid id;
};

std::unique_ptr<Remote> connectRemote(HostServer &server, ServerLog &serverLog)
{
    auto remote = std::make_unique<Remote>();
    const qsizetype before = serverLog.connected.size();
    remote->connection = connectionTo(server, remote->log);
    const bool ready = QTest::qWaitFor(
        [&] { return serverLog.connected.size() > before && remote->log.has(Kind::connected); });
    if (!ready)
        return nullptr;
    remote->id = serverLog.connected.last().id;
    return remote;
}

} // namespace

class HostServerTest : public QObject {
    Q_OBJECT

private slots:
    void seventeenthWaitingConnectionIsRefused()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        // The sixteen must all still be waiting when the last has connected, however long a
        // loaded machine takes for sixteen handshakes: only the count is tested here.
        server->handshakeTimeout = 1h;
        std::vector<std::unique_ptr<Remote>> waiting;
        for (int i = 0; i < HostServer::maxWaitingToPair; ++i) {
            waiting.push_back(connectRemote(*server, serverLog));
            QVERIFY(waiting.back());
        }

        QTest::ignoreMessage(QtWarningMsg, "Refusing a connection: 16 are already waiting to pair");
        ConnectionLog refusedLog;
        auto refused = connectionTo(*server, refusedLog);
        QTRY_COMPARE(refusedLog.finishedCount, 1);
        QVERIFY(!refusedLog.has(Kind::connected));
        QCOMPARE(serverLog.connected.size(), HostServer::maxWaitingToPair);
        QVERIFY(serverLog.disconnected.isEmpty());

        // One pairs: there is room again.
        server->markAuthenticated(waiting.front()->id);
        QVERIFY(connectRemote(*server, serverLog));
    }

    void authenticatedClientsDoNotCountAsWaiting()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        // As above: the unpaired ones wait for the whole test.
        server->handshakeTimeout = 1h;
        std::vector<std::unique_ptr<Remote>> remotes;
        for (int i = 0; i < 20; ++i) {
            remotes.push_back(connectRemote(*server, serverLog));
            QVERIFY(remotes.back());
            server->markAuthenticated(remotes.back()->id);
        }
        for (int i = 0; i < HostServer::maxWaitingToPair; ++i) {
            remotes.push_back(connectRemote(*server, serverLog));
            QVERIFY(remotes.back());
        }
        QCOMPARE(serverLog.connected.size(), 36);
        QVERIFY(serverLog.disconnected.isEmpty());
    }

    void silentClientIsToldAndDroppedAfterTheCheckTime()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        // Room for both remotes to finish their handshakes first, even on a loaded machine.
        server->handshakeTimeout = 1s;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Closing client that never authenticated: "
                                                u"127\\.0\\.0\\.1:\\d+"_qs));
        auto paired = connectRemote(*server, serverLog);
        QVERIFY(paired);
        server->markAuthenticated(paired->id);
        auto silent = connectRemote(*server, serverLog);
        QVERIFY(silent);

        QTRY_COMPARE(silent->log.finishedCount, 1);
        const Message expected(
            Message::Error{Message::ErrorCode::unauthorized, u"handshake timed out"_qs});
        QCOMPARE(silent->log.messages().size(), size_t(1));
        QCOMPARE(silent->log.messages().front(), expected);
        QCOMPARE(silent->log.statuses().last(), HostConnection::Status::disconnected(std::nullopt));
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{silent->id});

        // The one that paired first was checked earlier and left alone.
        QVERIFY(server->client(paired->id));
        QVERIFY(paired->log.messages().empty());
        QCOMPARE(paired->log.finishedCount, 0);
    }

    void connectionStuckBeforeTlsIsDroppedToo()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        server->handshakeTimeout = 200ms;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"never authenticated"_qs));
        QTcpSocket silent;
        silent.connectToHost(loopback, *server->listeningPort());

        QTRY_COMPARE(serverLog.disconnected.size(), 1);
        QVERIFY(serverLog.connected.isEmpty());
        QTRY_COMPARE(silent.state(), QAbstractSocket::UnconnectedState);
    }

    // The check time is a promise to the device: never cut short, whatever the timer's length.
    void stuckConnectionGetsTheWholeCheckTime()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        server->handshakeTimeout = 1s;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"never authenticated"_qs));
        QElapsedTimer sinceConnecting;
        sinceConnecting.start();
        QTcpSocket silent;
        silent.connectToHost(loopback, *server->listeningPort());

        QTRY_COMPARE_WITH_TIMEOUT(serverLog.disconnected.size(), 1, 10000);
        QVERIFY2(sinceConnecting.elapsed() >= 1000,
                 qPrintable(QString::number(sinceConnecting.elapsed())));
    }

    void messagesOfEveryClientReachTheOwner()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);

        const Message request(Message::RequestState{});
        QVERIFY(remote->connection->send(request));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().first, remote->id);
        QCOMPARE(serverLog.messages.front().second, request);
    }

    void helloNamesTheClientAfterItIsDelivered()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);
        std::optional<QString> nameSeenWithHello = u"unset"_qs;
        server->onMessage = [&](const QUuid &id, const Message &message) {
            serverLog.messages.emplace_back(id, message);
            nameSeenWithHello = server->client(id)->name;
        };

        remote->connection->send(hello(u"First"_qs));
        QTRY_COMPARE(server->client(remote->id)->name, u"First"_qs);
        QCOMPARE(nameSeenWithHello, std::nullopt);
        remote->connection->send(hello(u"Second"_qs));
        QTRY_COMPARE(server->client(remote->id)->name, u"Second"_qs);
    }

    void broadcastReachesOnlyAuthenticatedClients()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto paired = connectRemote(*server, serverLog);
        auto unpaired = connectRemote(*server, serverLog);
        QVERIFY(paired && unpaired);
        server->markAuthenticated(paired->id);

        QVERIFY(server->broadcast(challenge(u"everyone"_qs)));
        QVERIFY(server->send(challenge(u"just you"_qs), unpaired->id));
        QTRY_COMPARE(paired->log.messages().size(), size_t(1));
        QCOMPARE(paired->log.messages().front(), challenge(u"everyone"_qs));
        // Messages keep their order, so the direct one arriving alone shows the broadcast skipped
        // it.
        QTRY_COMPARE(unpaired->log.messages().size(), size_t(1));
        QCOMPARE(unpaired->log.messages().front(), challenge(u"just you"_qs));
    }

    void operationsOnAClosedClientDoNothing()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);
        QVERIFY(server->sendAndClose(std::nullopt, remote->id));
        QTRY_COMPARE(serverLog.disconnected.size(), 1);

        QVERIFY(!server->send(challenge(u"late"_qs), remote->id));
        QVERIFY(!server->sendAndClose(challenge(u"late"_qs), remote->id));
        server->markAuthenticated(remote->id);
        QVERIFY(!server->client(remote->id));
        QVERIFY(remote->log.messages().empty());
        QCOMPARE(serverLog.disconnected.size(), 1);
    }

    void messageOverTheLimitIsRefusedAndReported()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);
        server->markAuthenticated(remote->id);
        const Message tooLarge = errorOfEncodedSize(LinkParameters::maxMessageSize + 1);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Not sending a message: .*1048577"_qs));
        QVERIFY(!server->send(tooLarge, remote->id));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Not broadcasting a message"_qs));
        QVERIFY(!server->broadcast(tooLarge));
        // The link survives the refusal.
        QVERIFY(server->send(challenge(u"still here"_qs), remote->id));
        QTRY_COMPARE(remote->log.messages().size(), size_t(1));
        QCOMPARE(remote->log.messages().front(), challenge(u"still here"_qs));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Not sending a last message"_qs));
        QVERIFY(!server->sendAndClose(tooLarge, remote->id));
        QTRY_COMPARE(remote->log.finishedCount, 1);
        QCOMPARE(remote->log.messages().size(), size_t(1));
    }

    void nothingFollowsTheLastMessage()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);
        server->markAuthenticated(remote->id);

        QVERIFY(server->sendAndClose(challenge(u"last"_qs), remote->id));
        // The client stays in the table until its close has run, but it takes nothing more.
        QVERIFY(server->client(remote->id));
        QVERIFY(!server->send(challenge(u"after"_qs), remote->id));
        QVERIFY(server->broadcast(challenge(u"everyone"_qs)));
        QVERIFY(!server->sendAndClose(challenge(u"another last"_qs), remote->id));
        QTRY_COMPARE(remote->log.finishedCount, 1);
        QCOMPARE(remote->log.messages().size(), size_t(1));
        QCOMPARE(remote->log.messages().front(), challenge(u"last"_qs));
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{remote->id});
    }

    void aLinkThatIsClosingTakesNoMessage()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto client = openRawClient(hostCode(), *server->listeningPort());
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);
        const QUuid id = serverLog.connected.first().id;
        server->markAuthenticated(id);
        auto *link = server->findChild<QWebSocket *>();
        QVERIFY(link);
        std::optional<bool> sentWhileClosing;
        // Gone before the server, so the hook never runs while the server is being taken apart.
        QObject hookContext;
        connect(link, &QWebSocket::disconnected, &hookContext, [&] {
            // The server has not yet taken the client out of its table.
            if (server->client(id))
                sentWhileClosing = server->send(challenge(u"too late"_qs), id);
        });

        client->close();
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{id});
        QCOMPARE(sentWhileClosing, std::optional<bool>(false));
    }

    void sendAndCloseAllEndsEveryClient()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto paired = connectRemote(*server, serverLog);
        auto unpaired = connectRemote(*server, serverLog);
        QVERIFY(paired && unpaired);
        server->markAuthenticated(paired->id);

        server->sendAndCloseAll(challenge(u"bye"_qs));
        QTRY_COMPARE(paired->log.finishedCount, 1);
        QTRY_COMPARE(unpaired->log.finishedCount, 1);
        QCOMPARE(paired->log.messages().front(), challenge(u"bye"_qs));
        QCOMPARE(unpaired->log.messages().front(), challenge(u"bye"_qs));
        QTRY_COMPARE(serverLog.disconnected.size(), 2);
    }

    void restartDropsEveryClientAndKeepsThePort()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        QTRY_COMPARE(serverLog.states, QList<ListenerState>{ListenerState::ready()});
        const quint16 port = *server->listeningPort();
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);
        QTcpSocket stillInHandshake;
        stillInHandshake.connectToHost(loopback, port);
        QVERIFY(stillInHandshake.waitForConnected(5000));
        QTRY_VERIFY(server->findChildren<QSslSocket *>().size() == 2);

        server->restart(otherCode());
        QCOMPARE(serverLog.disconnected.size(), 2);
        QVERIFY(serverLog.disconnected.contains(remote->id));
        QTRY_COMPARE(serverLog.states.size(), 2);
        QCOMPARE(serverLog.states.last(), ListenerState::ready());
        QCOMPARE(server->listeningPort(), port);
        QTRY_COMPARE(remote->log.finishedCount, 1);

        // The new code is the one that counts now.
        ConnectionLog log;
        auto connection = connectionTo(*server, log, otherCode());
        QTRY_VERIFY(log.has(Kind::connected));
    }

    void stopTellsNobodyAndRestartAfterItDoesNothing()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        QTRY_COMPARE(serverLog.states.size(), 1);
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);

        server->stop();
        QCOMPARE(server->listeningPort(), std::nullopt);
        QTRY_COMPARE(remote->log.finishedCount, 1);
        server->restart(hostCode());
        server->readvertise();
        QCOMPARE(server->listeningPort(), std::nullopt);
        QVERIFY(serverLog.disconnected.isEmpty());
        QCOMPARE(serverLog.states.size(), 1);

        QVERIFY(!server->start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 2);
        QVERIFY(server->listeningPort());
    }

    void startOnAPortInUseFailsAtOnce()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::Any));
        ServerLog serverLog;
        HostServer server(u"Test Host"_qs, u"ID"_qs, holder.serverPort());
        serverLog.attach(server);
        server.retryDelay = 1h;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"Listener failed: "_qs));

        QVERIFY(!server.start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 1);
        QCOMPARE(serverLog.states.first().kind, ListenerState::Kind::failed);
        QVERIFY(!serverLog.states.first().error.isEmpty());
        QCOMPARE(server.listeningPort(), std::nullopt);
    }

    void restartRetriesAHeldPortThenReports()
    {
        auto holder = std::make_unique<QTcpServer>();
        QVERIFY(holder->listen(QHostAddress::Any));
        ServerLog serverLog;
        HostServer server(u"Test Host"_qs, u"ID"_qs, holder->serverPort());
        serverLog.attach(server);
        server.retryDelay = 10ms;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"Listener failed: "_qs));
        QVERIFY(!server.start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 1);

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"Listener failed: "_qs));
        server.restart(hostCode());
        QTRY_COMPARE(serverLog.states.size(), 2);
        QCOMPARE(serverLog.states.last().kind, ListenerState::Kind::failed);
    }

    void restartInsideTheRetryGapStillEndsListening()
    {
        auto holder = std::make_unique<QTcpServer>();
        QVERIFY(holder->listen(QHostAddress::Any));
        const quint16 port = holder->serverPort();
        ServerLog serverLog;
        HostServer server(u"Test Host"_qs, u"ID"_qs, port);
        serverLog.attach(server);
        server.retryDelay = 50ms;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"Listener failed: "_qs));
        QVERIFY(!server.start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 1);

        server.restart(hostCode());
        // The first attempt found the port held and waits for its retry; restart once more.
        server.restart(otherCode());
        holder.reset();
        QTRY_COMPARE(serverLog.states.size(), 2);
        QCOMPARE(serverLog.states.last(), ListenerState::ready());
        QCOMPARE(server.listeningPort(), port);
        ConnectionLog log;
        auto connection = connectionTo(server, log, otherCode());
        QTRY_VERIFY(log.has(Kind::connected));
    }

    void ownerMayDropTheServerFromACallback_data()
    {
        QTest::addColumn<bool>("onConnect");
        QTest::newRow("client connected") << true;
        QTest::newRow("message") << false;
    }

    void ownerMayDropTheServerFromACallback()
    {
        QFETCH(bool, onConnect);
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        // Both are told from inside Qt's own signals; dropping the server there must not take
        // the sockets away under Qt's feet.
        const auto drop = [&] { server.reset(); };
        if (onConnect)
            server->onClientConnected = [&](const HostServer::Client &) { drop(); };
        else
            server->onMessage = [&](const QUuid &, const Message &) { drop(); };
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        if (!onConnect) {
            QTRY_VERIFY(log.has(Kind::connected));
            QVERIFY(connection->send(hello(u"Last words"_qs)));
        }

        QTRY_VERIFY(!server);
        QTRY_COMPARE(log.finishedCount, 1);
    }

    void destroyingTheServerEndsListenerAndClients()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        const quint16 port = *server->listeningPort();
        auto remote = connectRemote(*server, serverLog);
        QVERIFY(remote);

        server.reset();
        QTRY_COMPARE(remote->log.finishedCount, 1);
        QCOMPARE(remote->log.statuses().last().kind, Kind::disconnected);
        QTcpServer sameport;
        QVERIFY(sameport.listen(QHostAddress::Any, port));
        QVERIFY(serverLog.disconnected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(HostServerTest)
#include "HostServerTest.moc"

#include "FakeServiceNetwork.h"
#include "LinkTestSupport.h"
#include "LogCapture.h"

#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::LinkTest;
using namespace std::chrono_literals;
using Status = HostConnection::Status;
using Kind = Status::Kind;

Q_DECLARE_METATYPE(Quorvel::HostConnection::Status)

class HostConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void statusEquality_data()
    {
        QTest::addColumn<Status>("a");
        QTest::addColumn<Status>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("same summary") << Status::connected(u"TLS 1.2 / 0xA8"_qs)
                                      << Status::connected(u"TLS 1.2 / 0xA8"_qs) << true;
        QTest::newRow("both without summary")
            << Status::connected(std::nullopt) << Status::connected(std::nullopt) << true;
        QTest::newRow("summary and none")
            << Status::connected(u"TLS 1.2 / 0xA8"_qs) << Status::connected(std::nullopt) << false;
        QTest::newRow("other summaries") << Status::connected(u"TLS 1.2 / 0xA8"_qs)
                                         << Status::connected(u"TLS 1.3 / 0x1301"_qs) << false;
        QTest::newRow("same text, other case")
            << Status::rejected(u"x"_qs) << Status::waiting(u"x"_qs) << false;
        QTest::newRow("disconnected without reason")
            << Status::disconnected(std::nullopt) << Status::disconnected(std::nullopt) << true;
    }

    void statusEquality()
    {
        QFETCH(Status, a);
        QFETCH(Status, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
    }

    void aRefusingHostIsWaitedForUntilTheTimeOut()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(loopback));
        const quint16 port = closed.serverPort();
        closed.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"waiting: .*"_qs));
        QTest::ignoreMessage(QtCriticalMsg, "connect timed out");
        HostConnection connection(loopback.toString(), port, u"Remote"_qs, hostCode());
        connection.connectTimeout = 300ms;
        ConnectionLog log;
        startRecorded(connection, log);

        QTRY_COMPARE(log.finishedCount, 1);
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.first(), Status::connecting());
        QCOMPARE(statuses.at(1).kind, Kind::waiting);
        QCOMPARE(statuses.last(), Status::disconnected(u"timed out connecting"_qs));
        QCOMPARE(statuses.count(Status::disconnected(u"timed out connecting"_qs)), 1);
    }

    // Each retry meets the same refusal: the owner hears of it, and the log tells it, once.
    void aHostThatKeepsRefusingIsReportedOnce()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(loopback));
        const quint16 port = closed.serverPort();
        closed.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"waiting: .*"_qs));
        QTest::ignoreMessage(QtCriticalMsg, "connect timed out");
        HostConnection connection(loopback.toString(), port, u"Remote"_qs, hostCode());
        // Room for three tries, a second apart.
        connection.connectTimeout = 2500ms;
        ConnectionLog log;
        startRecorded(connection, log);

        QTRY_COMPARE_WITH_TIMEOUT(log.finishedCount, 1, 10000);
        QCOMPARE(log.statuses().count(Status::waiting(u"Connection refused"_qs)), 1);
    }

    void aHostThatNeverAnswersTimesOut()
    {
        QTcpServer mute;
        QVERIFY(mute.listen(loopback));
        QTest::ignoreMessage(QtCriticalMsg, "connect timed out");
        HostConnection connection(loopback.toString(), mute.serverPort(), u"Remote"_qs, hostCode());
        connection.connectTimeout = 300ms;
        ConnectionLog log;
        startRecorded(connection, log);

        QTRY_COMPARE(log.finishedCount, 1);
        QCOMPARE(log.statuses(), (QList<Status>{Status::connecting(),
                                                Status::disconnected(u"timed out connecting"_qs)}));
    }

    void aLinkReadyBeforeTheTimeOutStaysUp()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        HostConnection connection(loopback.toString(), *server->listeningPort(), u"Remote"_qs,
                                  hostCode());
        connection.connectTimeout = 1s;
        ConnectionLog log;
        startRecorded(connection, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);
        const QUuid id = serverLog.connected.first().id;
        QTimer::singleShot(1500ms, server.get(), [&] { server->send(challenge(u"later"_qs), id); });

        QTRY_COMPARE(log.messages().size(), size_t(1));
        QCOMPARE(log.finishedCount, 0);
        QVERIFY(!log.has(Kind::disconnected));
    }

    void messagesArriveInOrder()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);
        for (int i = 0; i < 50; ++i)
            server->send(challenge(QString::number(i)), serverLog.connected.first().id);

        QTRY_COMPARE(log.messages().size(), size_t(50));
        for (int i = 0; i < 50; ++i)
            QCOMPARE(log.messages().at(i), challenge(QString::number(i)));
    }

    void disconnectEndsTheStreamWithoutAnotherEvent()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_VERIFY(log.has(Kind::connected));
        const size_t eventsBefore = log.events.size();

        connection->disconnectFromHost();
        QCOMPARE(log.finishedCount, 1);
        QVERIFY(!connection->send(hello(u"late"_qs)));
        QTRY_COMPARE(serverLog.disconnected.size(), 1);
        QCOMPARE(log.events.size(), eventsBefore);
        QVERIFY(serverLog.messages.empty());
    }

    void sendBeforeTheLinkIsReadyIsDropped()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        HostConnection connection(loopback.toString(), *server->listeningPort(), u"Remote"_qs,
                                  hostCode());
        ConnectionLog log;
        log.attach(connection);
        QVERIFY(!connection.send(hello(u"too early"_qs)));
        connection.start();
        QVERIFY(!connection.send(hello(u"still early"_qs)));

        QTRY_VERIFY(log.has(Kind::connected));
        QVERIFY(connection.send(hello(u"now"_qs)));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, hello(u"now"_qs));
    }

    void messageOverTheLimitIsRefusedAndTheLinkStays()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_VERIFY(log.has(Kind::connected));

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"send failed: .*1048577"_qs));
        QVERIFY(!connection->send(errorOfEncodedSize(LinkParameters::maxMessageSize + 1)));
        QVERIFY(connection->send(hello(u"after"_qs)));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, hello(u"after"_qs));
        QVERIFY(serverLog.disconnected.isEmpty());
    }

    void destroyingTheConnectionEndsTheLink()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);

        connection.reset();
        QTRY_COMPARE(serverLog.disconnected.size(), 1);
    }

    void ownerMayDropTheConnectionWhenItEnds_data()
    {
        QTest::addColumn<bool>("sameCode");
        QTest::newRow("rejected in the handshake") << false;
        QTest::newRow("closed by the host") << true;
    }

    void ownerMayDropTheConnectionWhenItEnds()
    {
        QFETCH(bool, sameCode);
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        if (!sameCode)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"failed handshake"_qs));
        ConnectionLog log;
        auto connection = connectionTo(*server, log, sameCode ? hostCode() : otherCode());
        // The end may be told from inside the socket's own signals; dropping the object there
        // must not take the socket away under Qt's feet.
        connect(connection.get(), &HostConnection::finished, this, [&] { connection.reset(); });
        if (sameCode) {
            QTRY_COMPARE(serverLog.connected.size(), 1);
            server->sendAndClose(std::nullopt, serverLog.connected.first().id);
        }

        QTRY_VERIFY(!connection);
        QCOMPARE(log.finishedCount, 1);
        QTRY_COMPARE(serverLog.disconnected.size(), 1);
    }

    // A host's service name comes from the network: in the log it stays on its own line.
    void serviceNamesStayOnTheirLogLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("line break") << u"Studio\nconnected over TLS"_qs;
        QTest::newRow("direction override") << QString::fromUtf16(u"Studio \u202Eoiduts");
        QTest::newRow("100 KB") << QString(100 * 1024, u's');
    }

    void serviceNamesStayOnTheirLogLine()
    {
        QFETCH(QString, name);
        Testing::FakeServiceNetwork network;
        // Nothing answers: the name is logged as the one that could not be resolved.
        network.setDaemonRunning(false);
        LogCapture log;
        HostConnection connection(network, ServiceEndpoint{name, u"_quorvel._tcp"_qs, u"local"_qs},
                                  u"Phone"_qs, *PairingToken::parse(u"ABCD-EFGH-JKMN-PQRS"_qs));
        connection.resolveTimeout = 100ms;
        connection.start();
        QTRY_VERIFY(!log.lines().filter(u"could not resolve"_qs).isEmpty());
        for (const QString &line : log.lines()) {
            QVERIFY2(line.size() < 400, qPrintable(line.left(200)));
            for (const char16_t unsafe : {u'\n', u'\u202E'})
                QVERIFY2(!line.contains(QChar(unsafe)), qPrintable(line.left(200)));
        }
    }

    void startTwiceMakesOneAttempt()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        connection->start();
        QTRY_VERIFY(log.has(Kind::connected));
        QCOMPARE(log.statuses().count(Status::connecting()), 1);
        QCOMPARE(serverLog.connected.size(), 1);
    }
};

QTEST_GUILESS_MAIN(HostConnectionTest)
#include "HostConnectionTest.moc"

#include "Knobwire/LineConnection.h"
#include "Knobwire/GracefulClose.h"
#include "Knobwire/Limits.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

// Long enough for anything on loopback, short enough to fail fast.
constexpr int waitMs = 5000;

// A line connection accepted by a listener on loopback, and a raw socket as its peer, so that
// the test controls every byte that crosses.
struct AcceptedPair {
    QTcpServer server;
    QTcpSocket peer;
    QTcpSocket *accepted = nullptr;
    std::unique_ptr<LineConnection> connection;
    QList<Message> messages;
    int closes = 0;
    QByteArray received;
    bool peerEnded = false;

    bool open()
    {
        if (!server.listen(QHostAddress::LocalHost)) {
            return false;
        }
        peer.connectToHost(QHostAddress::LocalHost, server.serverPort());
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, waitMs)) {
            return false;
        }
        accepted = server.nextPendingConnection();
        connection = std::make_unique<LineConnection>(accepted);
        connection->onMessage = [this](const Message &message) { messages.append(message); };
        connection->onClose = [this] { ++closes; };
        QObject::connect(&peer, &QTcpSocket::readyRead, &peer,
                         [this] { received += peer.readAll(); });
        QObject::connect(&peer, &QTcpSocket::disconnected, &peer, [this] { peerEnded = true; });
        connection->start();
        return peer.waitForConnected(waitMs);
    }

    void write(const QByteArray &bytes)
    {
        peer.write(bytes);
        peer.flush();
    }
};

QByteArray errorLine(const QString &text)
{
    return Message::error(text).encodeLine();
}

// An error line of exactly `size` bytes, line feed included.
Message errorOfLineSize(qsizetype size)
{
    const qsizetype frame = Message::error(QString()).encodeLine().size();
    return Message::error(QString(size - frame, u'x'));
}

} // namespace

class LineConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void deliversMessagesInOrder();
    void deliversLineSplitAcrossReads();
    void skipsBlankLines();
    void acceptsLineUpToLimit_data();
    void acceptsLineUpToLimit();
    void refusesLongerLine_data();
    void refusesLongerLine();
    void newLimitAppliesToRestOfChunk();
    void answersUnreadableLineAndStops();
    void failSendsOneErrorLineAndClosesOnce();
    void graceEndsAfterHalfSecond();
    void limitsConnectionsInGrace();
    void errorLineReachesPeerThatKeepsSending();
    void errorLineOutlivesCancelWhilePeerSends();
    void cancelInsideCallbackStopsDelivery();
    void destroyInsideCallbackIsSafe();
    void destroyInsideCloseCallbackIsSafe();
    void capsWritesInFlight();
    void capsBytesInFlight_data();
    void capsBytesInFlight();
    void completedWritesLeaveFlight();
    void connectsAndExchangesLines();
    void refusedConnectionClosesWithoutReady();
    void endOfStreamCloses();
    void deliversLinesOfPeerGoneBeforeStart();
    // Last: it leaves one connection in a grace that outlasts the other tests.
    void peerSeesEndOfStreamBeforeGraceEnds();
};

void LineConnectionTest::deliversMessagesInOrder()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.write(Message::press(u"a"_s, true).encodeLine() +
               Message::press(u"b"_s, false).encodeLine());
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 2, waitMs);
    QCOMPARE(pair.messages.at(0), Message::press(u"a"_s, true));
    QCOMPARE(pair.messages.at(1), Message::press(u"b"_s, false));
    QCOMPARE(pair.closes, 0);
}

void LineConnectionTest::deliversLineSplitAcrossReads()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    QSignalSpy reads(pair.accepted, &QTcpSocket::readyRead);
    const QByteArray line = Message::turn(u"level"_s, 0.25, 3).encodeLine();
    const QList<QByteArray> pieces{line.left(5), line.mid(5, 10), line.mid(15)};
    for (const QByteArray &piece : pieces) {
        const int before = reads.count();
        pair.write(piece);
        QTRY_VERIFY_WITH_TIMEOUT(reads.count() > before, waitMs);
        if (&piece != &pieces.last()) {
            QCOMPARE(pair.messages.size(), 0);
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 1, waitMs);
    QCOMPARE(pair.messages.first(), Message::turn(u"level"_s, 0.25, 3));

    // A chunk that ends inside a line keeps it for the next one.
    pair.write(Message::press(u"x"_s, true).encodeLine() + "{\"type\":\"pr");
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 2, waitMs);
    pair.write("ess\",\"id\":\"y\"}\n");
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 3, waitMs);
    QCOMPARE(pair.messages.last(), Message::press(u"y"_s, true));
}

void LineConnectionTest::skipsBlankLines()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.write("\n  \t\r\n\r\n{\"type\":\"press\",\"id\":\"a\"}\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 1, waitMs);
    QCOMPARE(pair.messages.first(), Message::press(u"a"_s, true));
    pair.write(Message::press(u"b"_s, true).encodeLine());
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 2, waitMs);
    QVERIFY(pair.received.isEmpty());
    QCOMPARE(pair.closes, 0);
}

void LineConnectionTest::acceptsLineUpToLimit_data()
{
    QTest::addColumn<qsizetype>("maxLine");
    QTest::newRow("1 MiB") << Limits::maxLine;
    QTest::newRow("before hello") << Limits::maxHelloLine;
}

void LineConnectionTest::acceptsLineUpToLimit()
{
    QFETCH(qsizetype, maxLine);
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->maxLine = maxLine;
    // maxLine bytes of line, then its line feed.
    pair.write(errorOfLineSize(maxLine + 1).encodeLine());
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 1, waitMs);
    QCOMPARE(pair.messages.first().as<Message::Error>()->message.size(), Limits::maxText);
    QCOMPARE(pair.closes, 0);
}

void LineConnectionTest::refusesLongerLine_data()
{
    QTest::addColumn<qsizetype>("maxLine");
    QTest::addColumn<bool>("lineFeed");
    QTest::addColumn<QString>("answer");

    QTest::newRow("1 MiB and one byte") << Limits::maxLine << true << u"A line longer than 1 MB"_s;
    QTest::newRow("1 MiB and one byte without line feed")
        << Limits::maxLine << false << u"A line longer than 1 MB"_s;
    QTest::newRow("before hello") << Limits::maxHelloLine << true << u"Send hello first"_s;
    QTest::newRow("before hello without line feed")
        << Limits::maxHelloLine << false << u"Send hello first"_s;
}

void LineConnectionTest::refusesLongerLine()
{
    QFETCH(qsizetype, maxLine);
    QFETCH(bool, lineFeed);
    QFETCH(QString, answer);
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->maxLine = maxLine;
    QByteArray line = errorOfLineSize(maxLine + 2).encodeLine();
    if (!lineFeed) {
        line.chop(1);
    }
    pair.write(line);
    QTRY_COMPARE_WITH_TIMEOUT(pair.closes, 1, waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received, errorLine(answer));
    QVERIFY(pair.messages.isEmpty());
    QVERIFY(pair.connection->closed());
}

void LineConnectionTest::newLimitAppliesToRestOfChunk()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->maxLine = Limits::maxHelloLine;
    pair.connection->onMessage = [&](const Message &message) {
        pair.messages.append(message);
        pair.connection->maxLine = Limits::maxLine;
    };
    pair.write(Message::hello(Hello{u"a"_s, u"A"_s}).encodeLine() +
               errorOfLineSize(5000).encodeLine());
    QTRY_COMPARE_WITH_TIMEOUT(pair.messages.size(), 2, waitMs);
    QCOMPARE(pair.closes, 0);
}

void LineConnectionTest::answersUnreadableLineAndStops()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.write(Message::press(u"a"_s, true).encodeLine() + "[1,2]\n" +
               Message::press(u"b"_s, true).encodeLine());
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received, errorLine(u"Each line must be a JSON object with a \"type\""_s));
    QCOMPARE(pair.messages, QList<Message>{Message::press(u"a"_s, true)});
    QCOMPARE(pair.closes, 1);
}

void LineConnectionTest::failSendsOneErrorLineAndClosesOnce()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->send(Message::press(u"before"_s, true));
    pair.connection->fail(u"No controls"_s);
    QCOMPARE(pair.closes, 1);
    QVERIFY(pair.connection->closed());
    pair.connection->fail(u"Again"_s);
    pair.connection->send(Message::press(u"after"_s, true));
    QCOMPARE(pair.closes, 1);
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received,
             Message::press(u"before"_s, true).encodeLine() + errorLine(u"No controls"_s));
}

void LineConnectionTest::graceEndsAfterHalfSecond()
{
    const int before = LineConnection::gracefulCloses();
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->fail(u"Send hello first"_s);
    QCOMPARE(LineConnection::gracefulCloses(), before + 1);
    // The line connection may go at once; the grace keeps the socket until it ends.
    pair.connection.reset();
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received, errorLine(u"Send hello first"_s));
    QTRY_COMPARE_WITH_TIMEOUT(LineConnection::gracefulCloses(), 0, waitMs);
}

void LineConnectionTest::peerSeesEndOfStreamBeforeGraceEnds()
{
    const auto restore =
        qScopeGuard([] { GracefulClose::setGracePeriod(std::chrono::milliseconds(500)); });
    // Far longer than the test waits: only the half-close can end the peer's stream.
    GracefulClose::setGracePeriod(std::chrono::hours(1));
    const int before = LineConnection::gracefulCloses();
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.write("oops\n" + QByteArray(100000, 'z'));
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received, errorLine(u"Each line must be a JSON object with a \"type\""_s));
    QCOMPARE(LineConnection::gracefulCloses(), before + 1);
}

void LineConnectionTest::limitsConnectionsInGrace()
{
    constexpr int maxInGrace = 32;
    QTRY_COMPARE_WITH_TIMEOUT(LineConnection::gracefulCloses(), 0, waitMs);
    const int connections = maxInGrace + 8;
    std::vector<std::unique_ptr<AcceptedPair>> pairs;
    for (int i = 0; i < connections; ++i) {
        pairs.push_back(std::make_unique<AcceptedPair>());
        QVERIFY(pairs.back()->open());
    }
    for (const auto &pair : pairs) {
        pair->connection->fail(u"Send hello first"_s);
        QCOMPARE(pair->closes, 1);
    }
    QCOMPARE(LineConnection::gracefulCloses(), maxInGrace);
    for (const auto &pair : pairs) {
        QTRY_VERIFY_WITH_TIMEOUT(pair->peerEnded, waitMs);
    }
    QTRY_COMPARE_WITH_TIMEOUT(LineConnection::gracefulCloses(), 0, waitMs);
}

void LineConnectionTest::errorLineReachesPeerThatKeepsSending()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->maxLine = Limits::maxHelloLine;
    // An over-long first line, with much more behind it that nobody will read.
    pair.write(QByteArray(200000, 'z'));
    QTRY_COMPARE_WITH_TIMEOUT(pair.closes, 1, waitMs);
    pair.write(QByteArray(200000, 'z'));
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.received, errorLine(u"Send hello first"_s));
}

void LineConnectionTest::errorLineOutlivesCancelWhilePeerSends()
{
    const auto restore =
        qScopeGuard([] { GracefulClose::setGracePeriod(std::chrono::milliseconds(500)); });
    GracefulClose::setGracePeriod(std::chrono::milliseconds(100));
    QTRY_COMPARE_WITH_TIMEOUT(LineConnection::gracefulCloses(), 0, waitMs);
    AcceptedPair pair;
    QVERIFY(pair.open());
    // The peer reads nothing until the grace is over, so it neither closes early nor stops
    // sending: the line must still wait for it after the cancel.
    QObject::disconnect(&pair.peer, &QTcpSocket::readyRead, nullptr, nullptr);
    pair.peer.setReadBufferSize(1);
    pair.write("oops\n" + QByteArray(200000, 'z'));
    QTRY_COMPARE_WITH_TIMEOUT(pair.closes, 1, waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(LineConnection::gracefulCloses(), 0, waitMs);
    pair.peer.setReadBufferSize(0);
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += pair.peer.readAll(), pair.peerEnded), waitMs);
    QCOMPARE(received, errorLine(u"Each line must be a JSON object with a \"type\""_s));
}

void LineConnectionTest::cancelInsideCallbackStopsDelivery()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->onMessage = [&](const Message &message) {
        pair.messages.append(message);
        pair.connection->cancel();
        pair.connection->cancel();
    };
    pair.write(Message::press(u"a"_s, true).encodeLine() +
               Message::press(u"b"_s, true).encodeLine());
    QTRY_COMPARE_WITH_TIMEOUT(pair.closes, 1, waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.messages.size(), 1);
    QVERIFY(pair.received.isEmpty());
}

void LineConnectionTest::destroyInsideCallbackIsSafe()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->onMessage = [&](const Message &message) {
        pair.messages.append(message);
        pair.connection.reset();
    };
    pair.write(Message::press(u"a"_s, true).encodeLine() +
               Message::press(u"b"_s, true).encodeLine());
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.messages.size(), 1);
    QCOMPARE(pair.closes, 0);
}

void LineConnectionTest::destroyInsideCloseCallbackIsSafe()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.connection->onClose = [&] {
        ++pair.closes;
        pair.connection.reset();
    };
    pair.write("not json\n" + Message::press(u"b"_s, true).encodeLine());
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QCOMPARE(pair.closes, 1);
    QVERIFY(!pair.connection);
    QCOMPARE(pair.received, errorLine(u"Each line must be a JSON object with a \"type\""_s));
}

void LineConnectionTest::capsWritesInFlight()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    // Without a turn of the event loop nothing leaves the socket, so every write stays in flight.
    for (int i = 0; i < Limits::maxQueuedSends; ++i) {
        pair.connection->send(Message::press(QString::number(i), true));
    }
    QVERIFY(!pair.connection->closed());
    pair.connection->send(Message::press(u"one too many"_s, true));
    QVERIFY(pair.connection->closed());
    QCOMPARE(pair.closes, 1);
    QTRY_VERIFY_WITH_TIMEOUT(pair.peerEnded, waitMs);
    QVERIFY(!pair.received.contains("\"error\""));
}

void LineConnectionTest::capsBytesInFlight_data()
{
    QTest::addColumn<qsizetype>("lastLine");
    QTest::addColumn<bool>("accepted");

    // Seven lines of 1 MiB are in flight; the eighth fills or overflows the byte cap.
    QTest::newRow("exactly full") << Limits::maxLine << true;
    QTest::newRow("one byte over") << Limits::maxLine + 1 << false;
}

void LineConnectionTest::capsBytesInFlight()
{
    QFETCH(qsizetype, lastLine);
    QFETCH(bool, accepted);
    AcceptedPair pair;
    QVERIFY(pair.open());
    const Message full = errorOfLineSize(Limits::maxLine);
    for (int i = 0; i < 7; ++i) {
        pair.connection->send(full);
    }
    QVERIFY(!pair.connection->closed());
    pair.connection->send(errorOfLineSize(lastLine));
    QCOMPARE(pair.connection->closed(), !accepted);
    if (accepted) {
        pair.connection->send(Message::press(u"p"_s, true));
        QVERIFY(pair.connection->closed());
    }
    QCOMPARE(pair.closes, 1);
}

void LineConnectionTest::completedWritesLeaveFlight()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    const QByteArray line = Message::press(u"p"_s, true).encodeLine();
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < Limits::maxQueuedSends; ++i) {
            pair.connection->send(Message::press(u"p"_s, true));
        }
        QTRY_COMPARE_WITH_TIMEOUT(pair.received.size(),
                                  (round + 1) * Limits::maxQueuedSends * line.size(), waitMs);
    }
    QVERIFY(!pair.connection->closed());
}

void LineConnectionTest::connectsAndExchangesLines()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    std::unique_ptr<LineConnection> provider;
    QList<Message> providerMessages;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        provider = std::make_unique<LineConnection>(server.nextPendingConnection());
        provider->onMessage = [&](const Message &message) {
            providerMessages.append(message);
            provider->send(Message::hello(Hello{u"provider"_s, u"Provider"_s}));
        };
        provider->start();
    });

    std::unique_ptr<LineConnection> consumer = LineConnection::connect(server.serverPort());
    QList<Message> consumerMessages;
    bool readyBeforeMessage = false;
    int consumerCloses = 0;
    consumer->onReady = [&] {
        readyBeforeMessage = consumerMessages.isEmpty();
        consumer->send(Message::hello(Hello{u"consumer"_s, u"Consumer"_s, {}, 3, u"key"_s}));
    };
    consumer->onMessage = [&](const Message &message) { consumerMessages.append(message); };
    consumer->onClose = [&] { ++consumerCloses; };
    consumer->start();

    QTRY_COMPARE_WITH_TIMEOUT(consumerMessages.size(), 1, waitMs);
    QVERIFY(readyBeforeMessage);
    QCOMPARE(providerMessages,
             QList<Message>{Message::hello(Hello{u"consumer"_s, u"Consumer"_s, {}, 3, u"key"_s})});
    QCOMPARE(consumerMessages.first(), Message::hello(Hello{u"provider"_s, u"Provider"_s}));

    provider->fail(u"bye"_s);
    QTRY_COMPARE_WITH_TIMEOUT(consumerCloses, 1, waitMs);
    QCOMPARE(consumerMessages.last(), Message::error(u"bye"_s));
}

void LineConnectionTest::refusedConnectionClosesWithoutReady()
{
    quint16 port = 0;
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        port = server.serverPort();
    }
    std::unique_ptr<LineConnection> consumer = LineConnection::connect(port);
    int readies = 0;
    int closes = 0;
    consumer->onReady = [&] { ++readies; };
    consumer->onClose = [&] { ++closes; };
    consumer->start();
    QCOMPARE(closes, 0);
    QTRY_COMPARE_WITH_TIMEOUT(closes, 1, waitMs);
    QCOMPARE(readies, 0);
}

void LineConnectionTest::endOfStreamCloses()
{
    AcceptedPair pair;
    QVERIFY(pair.open());
    pair.write(Message::press(u"last"_s, true).encodeLine() + "{\"type\":\"pre");
    pair.peer.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(pair.closes, 1, waitMs);
    QCOMPARE(pair.messages, QList<Message>{Message::press(u"last"_s, true)});
}

void LineConnectionTest::deliversLinesOfPeerGoneBeforeStart()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), waitMs);
    QTcpSocket *accepted = server.nextPendingConnection();
    QVERIFY(peer.waitForConnected(waitMs));
    peer.write(Message::press(u"a"_s, true).encodeLine());
    peer.disconnectFromHost();
    // The accepted socket sees the data and the end of stream before anybody starts reading it.
    QTRY_COMPARE_WITH_TIMEOUT(accepted->state(), QAbstractSocket::UnconnectedState, waitMs);

    LineConnection connection(accepted);
    int readies = 0;
    int closes = 0;
    QList<Message> messages;
    connection.onReady = [&] { ++readies; };
    connection.onMessage = [&](const Message &message) { messages.append(message); };
    connection.onClose = [&] { ++closes; };
    connection.start();
    QTRY_COMPARE_WITH_TIMEOUT(closes, 1, waitMs);
    QCOMPARE(readies, 1);
    QCOMPARE(messages, QList<Message>{Message::press(u"a"_s, true)});
}

QTEST_GUILESS_MAIN(LineConnectionTest)
#include "LineConnectionTest.moc"

#include "LinkTestSupport.h"
#include "LogCapture.h"
#include "QuorvelCore/Link/DeviceText.h"
#include "RawLinkPeer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::LinkTest;
using namespace std::chrono_literals;
using Kind = HostConnection::Status::Kind;

namespace {

// Longer than any test runs: the limit under test is then the only one that can act.
constexpr auto never = std::chrono::hours(1);
// The size of the largest message either end sends.
constexpr qint64 largestMessage = LinkParameters::maxMessageSize;

QHostAddress source(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

std::unique_ptr<HostServer> patientServer(ServerLog &log)
{
    auto server = startedServer(log);
    if (server) {
        server->handshakeTimeout = never;
        server->transportTimeout = never;
    }
    return server;
}

// A peer from `source` that has finished TLS and the upgrade, as the server saw it arrive.
struct UpgradedPeer {
    std::unique_ptr<RawLinkPeer> peer;
    QUuid id;
};

UpgradedPeer upgradedPeer(HostServer &server, ServerLog &log, const QHostAddress &from)
{
    UpgradedPeer result{std::make_unique<RawLinkPeer>(from), {}};
    const qsizetype before = log.connected.size();
    result.peer->connectWebSocket(*server.listeningPort(), hostCode());
    if (!QTest::qWaitFor(
            [&] { return result.peer->isUpgraded() && log.connected.size() > before; }))
        return {};
    result.id = log.connected.last().id;
    return result;
}

QByteArray encoded(const Message &message)
{
    return encodeForLink(message)->toUtf8();
}

} // namespace

class HostServerAttackTest : public QObject {
    Q_OBJECT

private slots:
    // Idle connections fill every place, from a few addresses; a device from yet another
    // address still gets in and finishes its handshakes, and so does a device from an address
    // holding fewer than the busiest one.
    void idleConnectionsNeverLockOutAnotherAddress()
    {
        ServerLog serverLog;
        auto server = patientServer(serverLog);
        QVERIFY(server);
        const int addresses = HostServer::maxWaiting / HostServer::maxWaitingToPair;
        std::vector<std::unique_ptr<RawLinkPeer>> idle;
        for (int a = 0; a < addresses; ++a) {
            for (int i = 0; i < HostServer::maxWaitingToPair; ++i) {
                idle.push_back(std::make_unique<RawLinkPeer>(source(2 + a)));
                idle.back()->connectPlain(*server->listeningPort());
            }
        }
        QTRY_COMPARE(server->waitingCount(), qsizetype(HostServer::maxWaiting));

        // One more from a busy address is turned away: it has its share.
        QTest::ignoreMessage(QtWarningMsg, "Refusing a connection: 16 are already waiting to pair");
        RawLinkPeer refused(source(2));
        refused.connectPlain(*server->listeningPort());
        QTRY_VERIFY(refused.isDisconnected());

        // 127.0.0.2 has had its refusal logged this minute: its eviction only goes into the
        // summary.
        ConnectionLog deviceLog;
        auto device = connectionTo(*server, deviceLog);
        QTRY_VERIFY(deviceLog.has(Kind::connected));
        QCOMPARE(serverLog.connected.size(), 1);
        QCOMPARE(server->waitingCount(), qsizetype(HostServer::maxWaiting));
        // The oldest of the first busiest address made room, and only it.
        QTRY_VERIFY(idle.front()->isDisconnected());
        for (size_t i = 1; i < idle.size(); ++i)
            QVERIFY(idle[i]->isConnected());

        // A newcomer from one more address takes the place of the next busiest address's oldest;
        // the device, with the fewest, keeps its place.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Closing waiting client 127\\.0\\.0\\.3:\\d+ to "
                                                u"make room"_qs));
        auto neighbour = upgradedPeer(*server, serverLog, source(2 + addresses));
        QVERIFY(neighbour.peer);
        QTRY_VERIFY(idle[HostServer::maxWaitingToPair]->isDisconnected());
        QCOMPARE(deviceLog.finishedCount, 0);
        QCOMPARE(deviceLog.statuses().last().kind, Kind::connected);
    }

    // A handshake dripped a byte at a time is cut at the transport deadline, long before the
    // time to authenticate is up, and counts as a failure of its address.
    void drippingHandshakeIsClosedAtTheTransportDeadline()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        server->handshakeTimeout = never;
        server->transportTimeout = 300ms;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Closing client 127\\.0\\.0\\.2:\\d+: no TLS and "
                                                u"WebSocket handshakes within 300 ms"_qs));
        RawLinkPeer dripper(source(2));
        dripper.connectPlain(*server->listeningPort());
        // The start of a TLS 1.2 ClientHello record, then a byte at a time.
        const QByteArray hello =
            QByteArray::fromHex("16030100c8010000c40303") + QByteArray(64, 'x');
        qsizetype sent = 0;
        QTimer drip;
        QObject::connect(&drip, &QTimer::timeout, [&] {
            if (sent < hello.size() && dripper.isConnected())
                dripper.writeRaw(hello.mid(sent++, 1));
        });
        QElapsedTimer elapsed;
        elapsed.start();
        drip.start(20ms);

        QTRY_VERIFY(dripper.isDisconnected());
        QVERIFY(elapsed.elapsed() >= 300);
        QVERIFY(sent > 1);
        QVERIFY(serverLog.connected.isEmpty());
        QCOMPARE(serverLog.disconnected.size(), 1);
        QCOMPARE(server->penalties().failures(source(2)), 1);
        QCOMPARE(server->waitingCount(), 0);
    }

    // Wrong codes from one address shut that address out for a while, even with the right code;
    // another address is served as always.
    void wrongCodesSlowTheirAddressOnly()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        SourcePenalties::Policy policy;
        policy.freeFailures = 2;
        policy.firstPenalty = never;
        policy.maxPenalty = never;
        server->penalties().setPolicy(policy);

        // Only the first failure is logged one by one; the others go into the minute's summary.
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(u"Client 127\\.0\\.0\\.2:\\d+ failed handshake"_qs));
        for (int attempt = 0; attempt <= policy.freeFailures; ++attempt) {
            RawLinkPeer guesser(source(2));
            guesser.connectTls(*server->listeningPort(), otherCode());
            QTRY_VERIFY(guesser.isDisconnected());
            QVERIFY(!guesser.isEncrypted());
            QTRY_COMPARE(server->penalties().failures(source(2)), attempt + 1);
        }
        QVERIFY(server->penalties().remaining(source(2)) > 0ms);

        RawLinkPeer guesserWithTheCode(source(2));
        guesserWithTheCode.connectTls(*server->listeningPort(), hostCode());
        QTRY_VERIFY(guesserWithTheCode.isDisconnected());
        QVERIFY(!guesserWithTheCode.isEncrypted());

        RawLinkPeer neighbour(source(3));
        neighbour.connectTls(*server->listeningPort(), hostCode());
        QTRY_VERIFY(neighbour.isEncrypted());
        QCOMPARE(server->penalties().failures(source(3)), 0);
        QVERIFY(serverLog.connected.size() <= 1);
    }

    // A flood of refused connections from one address writes one line in full, then one summary
    // line when its minute is over.
    void refusalFloodIsSummedUpOncePerMinute()
    {
        // Before the server, which keeps asking it until it is gone.
        std::chrono::steady_clock::time_point now{};
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        server->setClock([&now] { return now; });
        server->summaryInterval = 10ms;
        SourcePenalties::Policy policy;
        policy.freeFailures = 0;
        policy.firstPenalty = never;
        policy.maxPenalty = never;
        server->penalties().setPolicy(policy);

        LogCapture log;
        constexpr int refused = 5;
        RawLinkPeer guesser(source(2));
        guesser.connectTls(*server->listeningPort(), otherCode());
        QTRY_VERIFY(guesser.isDisconnected());
        for (int i = 0; i < refused; ++i) {
            RawLinkPeer again(source(2));
            again.connectPlain(*server->listeningPort());
            QTRY_VERIFY(again.isDisconnected());
        }
        const QStringList aboutGuesser = log.lines().filter(u"127.0.0.2"_qs);
        QCOMPARE(aboutGuesser.size(), 1);
        QVERIFY(aboutGuesser.first().contains(u"failed handshake"_qs));

        now += RefusalLog::defaultWindow;
        const QString summary =
            u"Not logged one by one: %1 more refused or failed connections or "
            u"unreadable messages from 127.0.0.2 in the last minute"_qs.arg(refused);
        QTRY_COMPARE(log.lines().filter(u"127.0.0.2"_qs),
                     (QStringList{aboutGuesser.first(), summary}));
    }

    // A paired link that stops reading while the host has much to send is cut once its queue
    // passes the limit; the host never holds much more than that limit for it.
    void slowReaderIsClosedAtTheQueueLimit()
    {
        ServerLog serverLog;
        auto server = patientServer(serverLog);
        QVERIFY(server);
        UpgradedPeer reader = upgradedPeer(*server, serverLog, source(2));
        QVERIFY(reader.peer);
        server->markAuthenticated(reader.id);
        reader.peer->stopReading();

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Closing client 127\\.0\\.0\\.2:\\d+: \\d+ bytes "
                                                u"wait to be sent, more than a link may queue"_qs));
        const Message big = errorOfEncodedSize(largestMessage);
        const qint64 limit = server->outgoingLimits.maxQueuedBytes;
        qint64 mostQueued = 0;
        int sent = 0;
        while (server->send(big, reader.id)) {
            ++sent;
            mostQueued = std::max(mostQueued, server->queuedBytes(reader.id).value_or(0));
            QVERIFY(sent < 1000);
        }
        QVERIFY(mostQueued <= limit);
        QVERIFY(sent >= limit / largestMessage - 1);
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{reader.id});
        QVERIFY(!server->client(reader.id));
        QTRY_VERIFY(reader.peer->isDisconnected() || !reader.peer->isConnected());
    }

    // A link whose queue does not move for the stall time is cut, though its queue is small.
    void stalledLinkIsClosed()
    {
        // Before the server, which keeps asking it until it is gone.
        std::chrono::steady_clock::time_point now{};
        ServerLog serverLog;
        auto server = patientServer(serverLog);
        QVERIFY(server);
        server->setClock([&now] { return now; });
        server->watchdogInterval = 10ms;
        UpgradedPeer reader = upgradedPeer(*server, serverLog, source(2));
        QVERIFY(reader.peer);
        server->markAuthenticated(reader.id);
        reader.peer->stopReading();

        // Fill the kernel's buffers until a good part of a megabyte stays with the host: the
        // socket hands the kernel all it takes at every turn, so those bytes are stuck.
        const qint64 stuck = largestMessage;
        const Message chunk = errorOfEncodedSize(stuck / 4);
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (server->queuedBytes(reader.id).value_or(0) >= stuck)
                    return true;
                server->send(chunk, reader.id);
                return false;
            },
            30000));
        QVERIFY(server->client(reader.id));

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Closing client 127\\.0\\.0\\.2:\\d+: \\d+ bytes "
                                                u"wait to be sent, none sent for too long"_qs));
        now += server->outgoingLimits.stallTimeout;
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{reader.id});
    }

    // An over-long id gets no answer and nothing reaches the owner; the link stays and the next
    // good message is delivered. A hello's name arrives clipped and cleaned.
    void deviceTextIsClippedAtTheDoor()
    {
        ServerLog serverLog;
        auto server = patientServer(serverLog);
        QVERIFY(server);
        UpgradedPeer peer = upgradedPeer(*server, serverLog, source(2));
        QVERIFY(peer.peer);

        const QString longID(200, u'i');
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(u"Dropping a message from 127\\.0\\.0\\.2:\\d+ with an id of 200 "
                               u"characters: i{160}… \\(200 characters\\)$"_qs));
        peer.peer->sendText(
            encoded(Message(Message::TriggerAction{longID, QStringLiteral("lamp"), std::nullopt})));
        const Message name(
            Message::Hello{u"Phone\nClient 'Admin Laptop' authenticated"_qs + QString(100, u'x'),
                           Message::protocolVersion, std::nullopt, std::nullopt});
        peer.peer->sendText(encoded(name));

        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        const auto *hello = serverLog.messages.front().second.as<Message::Hello>();
        QVERIFY(hello);
        QCOMPARE(hello->clientName,
                 (u"Phone\uFFFDClient 'Admin Laptop' authenticated"_qs + QString(100, u'x'))
                     .left(DeviceText::maxNameCharacters));
        QTRY_COMPARE(server->client(peer.id)->name, std::optional(hello->clientName));
        QVERIFY(peer.peer->textMessages().isEmpty());
        QVERIFY(serverLog.disconnected.isEmpty());
    }

    // Past the cap of paired links, the next device is told and closed; the others stay.
    void pairedLinksAreCapped()
    {
        ServerLog serverLog;
        auto server = patientServer(serverLog);
        QVERIFY(server);
        std::vector<UpgradedPeer> paired;
        for (int i = 0; i < HostServer::maxPairedLinks; ++i) {
            paired.push_back(upgradedPeer(*server, serverLog, source(2 + i % 8)));
            QVERIFY(paired.back().peer);
            QVERIFY(server->markAuthenticated(paired.back().id));
        }
        UpgradedPeer extra = upgradedPeer(*server, serverLog, source(20));
        QVERIFY(extra.peer);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Refusing client 127\\.0\\.0\\.20:\\d+: 64 paired "
                                                u"devices are already connected"_qs));
        QVERIFY(!server->markAuthenticated(extra.id));

        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{extra.id});
        QTRY_COMPARE(extra.peer->textMessages().size(), 1);
        QCOMPARE(WireCodec::decode(extra.peer->textMessages().first()),
                 std::optional(Message(Message::Error{Message::ErrorCode::unauthorized,
                                                      u"too many devices are connected"_qs})));
        QVERIFY(server->broadcast(Message(Message::RequestState{})));
        for (const UpgradedPeer &peer : paired)
            QTRY_COMPARE(peer.peer->textMessages().size(), 1);
    }
};

QTEST_GUILESS_MAIN(HostServerAttackTest)
#include "HostServerAttackTest.moc"

#include "LinkTestSupport.h"

#include <QSignalSpy>
#include <QSslCipher>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTest>
#include <QWebSocketServer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace Quorvel;
using namespace Quorvel::LinkTest;
using Kind = HostConnection::Status::Kind;

namespace {

int keepAliveIdle(const QAbstractSocket &socket)
{
    int value = 0;
    socklen_t size = sizeof value;
    if (::getsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_KEEPIDLE, &value, &size) != 0)
        return -1;
    return value;
}

} // namespace

// A real HostServer and a real HostConnection (or a bare client of the same stack) on loopback.
class HostLinkTest : public QObject {
    Q_OBJECT

private slots:
    void sameCodeConnectsAndExchangesMessages()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);

        QTRY_VERIFY(log.has(Kind::connected));
        QCOMPARE(log.statuses().first(), HostConnection::Status::connecting());
        QCOMPARE(log.statuses().at(1), HostConnection::Status::connected(u"TLS 1.2 / 0xA8"_qs));
        QTRY_COMPARE(serverLog.connected.size(), 1);
        const QUuid id = serverLog.connected.first().id;
        QCOMPARE(serverLog.connected.first().name, std::nullopt);
        QVERIFY(serverLog.connected.first().endpoint.startsWith(u"127.0.0.1:"_qs));

        QVERIFY(server->send(challenge(u"n1"_qs), id));
        QVERIFY(server->send(challenge(u"n2"_qs), id));
        QTRY_COMPARE(log.messages().size(), size_t(2));
        QCOMPARE(log.messages().at(0), challenge(u"n1"_qs));
        QCOMPARE(log.messages().at(1), challenge(u"n2"_qs));

        QVERIFY(connection->send(hello(u"Desk"_qs)));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().first, id);
        QCOMPARE(serverLog.messages.front().second, hello(u"Desk"_qs));
    }

    void differentCodeFailsInTheHandshake()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(u"Client 127\\.0\\.0\\.1:\\d+ failed handshake"_qs));
        ConnectionLog log;
        auto connection = connectionTo(*server, log, otherCode());

        QTRY_COMPARE(log.finishedCount, 1);
        const QList<HostConnection::Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses.at(1).kind, Kind::rejected);
        QTRY_COMPARE(serverLog.disconnected.size(), 1);
        QVERIFY(serverLog.connected.isEmpty());
        QVERIFY(serverLog.messages.empty());
        QVERIFY(log.messages().empty());
    }

    void clientOutsideTheOneSuiteIsRefused_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("cipher");
        QTest::newRow("TLS 1.3 only") << int(QSsl::TlsV1_3) << QString();
        QTest::newRow("other suites only") << int(QSsl::TlsV1_2) << u"PSK-AES256-GCM-SHA384"_qs;
    }

    void clientOutsideTheOneSuiteIsRefused()
    {
        QFETCH(int, protocol);
        QFETCH(QString, cipher);
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"failed handshake"_qs));

        QSslSocket client;
        QSslConfiguration tls = makeTLSOptions();
        tls.setProtocol(QSsl::SslProtocol(protocol));
        if (!cipher.isEmpty())
            tls.setCiphers({QSslCipher(cipher)});
        client.setSslConfiguration(tls);
        connect(&client, &QSslSocket::preSharedKeyAuthenticationRequired, &client,
                [](QSslPreSharedKeyAuthenticator *authenticator) {
                    authenticator->setIdentity(LinkParameters::pskIdentity);
                    authenticator->setPreSharedKey(hostCode().pskData());
                });
        QSignalSpy encrypted(&client, &QSslSocket::encrypted);
        client.connectToHostEncrypted(loopback.toString(), *server->listeningPort());

        QTRY_COMPARE(serverLog.disconnected.size(), 1);
        QVERIFY(encrypted.isEmpty());
        QVERIFY(serverLog.connected.isEmpty());
    }

    void binaryFramesAreReadLikeText()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto client = openRawClient(hostCode(), *server->listeningPort());
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);

        const QByteArray frame = *WireCodec::encode(hello(u"Binary"_qs));
        QCOMPARE(client->sendBinaryMessage(frame), qint64(frame.size()));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, hello(u"Binary"_qs));
    }

    void undecodableFramesAreDroppedAndReadingGoesOn()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto client = openRawClient(hostCode(), *server->listeningPort());
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);

        QVERIFY(client->sendTextMessage(u"not json"_qs) > 0);
        QVERIFY(client->sendTextMessage(u"{\"type\":\"no_such_type\"}"_qs) > 0);
        QVERIFY(client->sendBinaryMessage(QByteArray("[1,2]")) > 0);
        QVERIFY(client->sendTextMessage(*encodeForLink(hello(u"After"_qs))) > 0);
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, hello(u"After"_qs));
        QVERIFY(serverLog.disconnected.isEmpty());
    }

    void pingsAreAnsweredAndNeverDelivered()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto client = openRawClient(hostCode(), *server->listeningPort());
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);
        QSignalSpy pong(client.get(), &QWebSocket::pong);

        client->ping("are you there");
        QTRY_COMPARE(pong.size(), 1);
        QCOMPARE(pong.first().at(1).toByteArray(), QByteArray("are you there"));
        QVERIFY(client->sendTextMessage(*encodeForLink(hello(u"After ping"_qs))) > 0);
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, hello(u"After ping"_qs));
    }

    void messageOfExactlyTheLimitPassesBothWays()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);
        // A paired link: on a loaded machine a megabyte each way may outlast the time an
        // unpaired client is given, which has nothing to do with the size limit.
        QVERIFY(server->markAuthenticated(serverLog.connected.first().id));
        const Message largest = errorOfEncodedSize(LinkParameters::maxMessageSize);

        QVERIFY(server->send(largest, serverLog.connected.first().id));
        QTRY_COMPARE(log.messages().size(), size_t(1));
        QCOMPARE(log.messages().front(), largest);

        QVERIFY(connection->send(largest));
        QTRY_COMPARE(serverLog.messages.size(), size_t(1));
        QCOMPARE(serverLog.messages.front().second, largest);
    }

    void largerMessageNeverArrives()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        auto client = openRawClient(hostCode(), *server->listeningPort());
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);
        // Paired, so that only the size can end the link.
        QVERIFY(server->markAuthenticated(serverLog.connected.first().id));

        const QString tooLarge = QString::fromUtf8(
            *WireCodec::encode(errorOfEncodedSize(LinkParameters::maxMessageSize + 1)));
        QVERIFY(client->sendTextMessage(tooLarge) > 0);
        QTRY_COMPARE(serverLog.disconnected.size(), 1);
        QVERIFY(serverLog.messages.empty());
    }

    void largerMessageNeverReachesTheRemote()
    {
        // A bare server of the same stack: HostServer itself refuses to send such a message.
        QWebSocketServer bare(u"Bare"_qs, QWebSocketServer::SecureMode);
        bare.setSslConfiguration(makeTLSOptions());
        connect(&bare, &QWebSocketServer::preSharedKeyAuthenticationRequired, &bare,
                [](QSslPreSharedKeyAuthenticator *authenticator) {
                    authenticator->setPreSharedKey(hostCode().pskData());
                });
        QVERIFY(bare.listen(loopback));
        QWebSocket *peer = nullptr;
        connect(&bare, &QWebSocketServer::newConnection, &bare,
                [&] { peer = bare.nextPendingConnection(); });
        HostConnection connection(loopback.toString(), bare.serverPort(), u"Remote"_qs, hostCode());
        ConnectionLog log;
        startRecorded(connection, log);
        QTRY_VERIFY(peer && log.has(Kind::connected));

        peer->sendTextMessage(QString::fromUtf8(
            *WireCodec::encode(errorOfEncodedSize(LinkParameters::maxMessageSize + 1))));
        QTRY_COMPARE(log.finishedCount, 1);
        QVERIFY(log.messages().empty());
        QCOMPARE(log.statuses().last().kind, Kind::disconnected);
    }

    void sendAndCloseDeliversBeforeClosing()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);
        const QUuid id = serverLog.connected.first().id;
        const Message last = errorOfEncodedSize(LinkParameters::maxMessageSize);

        QVERIFY(server->sendAndClose(last, id));
        QTRY_COMPARE(log.finishedCount, 1);
        QCOMPARE(log.messages().size(), size_t(1));
        QCOMPARE(log.messages().front(), last);
        QCOMPARE(log.statuses().last(), HostConnection::Status::disconnected(std::nullopt));
        QTRY_COMPARE(serverLog.disconnected, QList<QUuid>{id});
    }

    void peerCloseEndsTheLinkOnce()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);

        QVERIFY(server->sendAndClose(std::nullopt, serverLog.connected.first().id));
        QTRY_COMPARE(log.finishedCount, 1);
        const QList<HostConnection::Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(statuses.last(), HostConnection::Status::disconnected(std::nullopt));
        QVERIFY(log.messages().empty());
    }

    void bothEndsProbeIdleLinks()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        ConnectionLog log;
        auto connection = connectionTo(*server, log);
        QTRY_COMPARE(serverLog.connected.size(), 1);

        const auto *clientSocket = connection->findChild<QSslSocket *>();
        QVERIFY(clientSocket);
        QCOMPARE(keepAliveIdle(*clientSocket), 10);
        const QList<QSslSocket *> serverSockets = server->findChildren<QSslSocket *>();
        QCOMPARE(serverSockets.size(), 1);
        QCOMPARE(keepAliveIdle(*serverSockets.first()), 10);
    }
};

QTEST_GUILESS_MAIN(HostLinkTest)
#include "HostLinkTest.moc"

#include "LinkTestSupport.h"

#include <QSslCipher>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace Quorvel;
using namespace Quorvel::LinkTest;

class LinkTransportTest : public QObject {
    Q_OBJECT

private slots:
    void tlsSummaryText_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("suite");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the link's own") << 0x0303 << 0x00A8 << "TLS 1.2 / 0xA8";
        QTest::newRow("TLS 1.3") << 0x0304 << 0x1301 << "TLS 1.3 / 0x1301";
        QTest::newRow("another version") << 0x0301 << 0xC02F << "TLS (769) / 0xC02F";
    }

    void tlsSummaryText()
    {
        QFETCH(int, version);
        QFETCH(int, suite);
        QFETCH(QString, expected);
        QCOMPARE(tlsSummary(quint16(version), quint16(suite)), expected);
    }

    void noSummaryWithoutASession() { QCOMPARE(tlsSummary(QSslConfiguration()), std::nullopt); }

    void tlsOptionsPinTheOneSuite()
    {
        const QSslConfiguration tls = makeTLSOptions();
        QCOMPARE(tls.protocol(), QSsl::TlsV1_2);
        QCOMPARE(tls.ciphers().size(), 1);
        QCOMPARE(tls.ciphers().first().name(), QStringLiteral("PSK-AES128-GCM-SHA256"));
        QVERIFY(tls.testSslOption(QSsl::SslOptionDisableSessionTickets));
        QVERIFY(tls.testSslOption(QSsl::SslOptionDisableSessionPersistence));
        QVERIFY(tls.testSslOption(QSsl::SslOptionDisableSessionSharing));
        QCOMPARE(tls.peerVerifyMode(), QSslSocket::VerifyNone);
    }

    void keyComesFromTheCode()
    {
        QCOMPARE(makeParameters(hostCode()).preSharedKey(), hostCode().pskData());
        QVERIFY(makeParameters(otherCode()).preSharedKey() != hostCode().pskData());
    }

    void encodingUpToTheLimitPasses()
    {
        const std::optional<QString> text =
            encodeForLink(errorOfEncodedSize(LinkParameters::maxMessageSize));
        QVERIFY(text);
        QCOMPARE(text->toUtf8().size(), LinkParameters::maxMessageSize);
    }

    void encodingOverTheLimitIsRefused()
    {
        QString error;
        QCOMPARE(encodeForLink(errorOfEncodedSize(LinkParameters::maxMessageSize + 1), &error),
                 std::nullopt);
        QVERIFY(error.contains(QStringLiteral("1048577")));
    }

    void limitCountsBytesNotCharacters()
    {
        // "é" is two bytes in UTF-8: half a megabyte of them and more is over the limit.
        const Message message(
            Message::Error{QStringLiteral("x"), QString(LinkParameters::maxMessageSize / 2, u'é')});
        QCOMPARE(encodeForLink(message), std::nullopt);
    }

    void keepAliveProbesAfterTenIdleSeconds()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(loopback));
        QTcpSocket socket;
        socket.connectToHost(loopback, listener.serverPort());
        QVERIFY(socket.waitForConnected(5000));

        QVERIFY(LinkParameters::applyTcpOptions(socket));
        const int descriptor = int(socket.socketDescriptor());
        int value = 0;
        socklen_t size = sizeof value;
        QCOMPARE(::getsockopt(descriptor, SOL_SOCKET, SO_KEEPALIVE, &value, &size), 0);
        QCOMPARE(value, 1);
        QCOMPARE(::getsockopt(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, &value, &size), 0);
        QCOMPARE(value, 10);
        // A reply written right after a state message must not wait for a delayed ACK.
        QCOMPARE(::getsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &value, &size), 0);
        QCOMPARE(value, 1);
    }
};

QTEST_GUILESS_MAIN(LinkTransportTest)
#include "LinkTransportTest.moc"

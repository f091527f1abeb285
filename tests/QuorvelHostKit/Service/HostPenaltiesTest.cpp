#include "HostTestSupport.h"

#include <QTest>

using namespace Quorvel;
using namespace Quorvel::HostTest;
using namespace std::chrono_literals;

namespace {

const QHostAddress loopback(QHostAddress::LocalHost);

Deck testDeck()
{
    return Deck{QStringLiteral("Desk"),
                {shellButton(QStringLiteral("hello"), QStringLiteral("echo hi"))}};
}

} // namespace

class HostPenaltiesTest : public QObject {
    Q_OBJECT

private slots:
    // A wrong proof in the hello counts against the device's address like a wrong code in the
    // TLS handshake: past the free failures, its next connection is turned away at once.
    void wrongProofsShutTheAddressOut()
    {
        TestHost host(testDeck());
        QVERIFY(host.isListening());
        SourcePenalties::Policy policy;
        policy.freeFailures = 1;
        policy.firstPenalty = 1h;
        policy.maxPenalty = 1h;
        host.coordinator().server().penalties().setPolicy(policy);

        const PairingToken otherCode = PairingToken::generate();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            auto guesser = host.connect();
            QVERIFY(guesser);
            const std::optional<QString> nonce = guesser->waitForChallenge();
            QVERIFY(nonce);
            QTest::ignoreMessage(QtInfoMsg,
                                 "Rejected client 'Phone': bad or missing pairing response");
            guesser->hello(otherCode.proof(*nonce));
            QVERIFY(waitFor([&] { return guesser->disconnected(); }));
            QCOMPARE(host.coordinator().server().penalties().failures(loopback), attempt);
        }
        QVERIFY(host.coordinator().server().penalties().remaining(loopback) > 0ms);

        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(u"Refusing a connection from 127\\.0\\.0\\.1:\\d+ for \\d+ ms more: "
                               u"too many failed attempts"_qs));
        auto device = host.connect();
        QVERIFY(device);
        QVERIFY(waitFor([&] { return device->disconnected(); }));
        QVERIFY(device->messages().empty());
        QVERIFY(host.coordinator().authenticatedClients().isEmpty());
    }
};

QTEST_GUILESS_MAIN(HostPenaltiesTest)
#include "HostPenaltiesTest.moc"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"

#include "TestHost.h"

#include <QTest>

using namespace Quorvel;
using Status = ClientModel::ConnectionStatus;
using Outcome = ClientModel::TestOutcome;

Q_DECLARE_METATYPE(Quorvel::ClientConnectionStatus)
Q_DECLARE_METATYPE(Quorvel::ClientTestOutcome)

namespace {

DiscoveredHost host(const QString &name)
{
    DiscoveredHost result;
    result.name = name;
    result.id = name + "._quorvel._tcp.local.";
    result.endpoint = HostPortEndpoint{"127.0.0.1", 4000};
    return result;
}

} // namespace

// The connection status and test outcome values, and the cached deck.
class ClientValuesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void statusEquality_data()
    {
        QTest::addColumn<Status>("a");
        QTest::addColumn<Status>("b");
        QTest::addColumn<bool>("equal");
        const DiscoveredHost one = host("One");
        DiscoveredHost moved = one;
        moved.endpoint = HostPortEndpoint{"127.0.0.1", 4001};
        QTest::newRow("idle") << Status::idle() << Status::idle() << true;
        QTest::newRow("same host connecting")
            << Status::connecting(one) << Status::connecting(one) << true;
        QTest::newRow("host moved") << Status::connected(one) << Status::connected(moved) << false;
        QTest::newRow("connecting vs connected")
            << Status::connecting(one) << Status::connected(one) << false;
        QTest::newRow("reason vs none") << Status::needsPairing(one, QString("why"))
                                        << Status::needsPairing(one, std::nullopt) << false;
        QTest::newRow("empty reason vs none") << Status::needsPairing(one, QString())
                                              << Status::needsPairing(one, std::nullopt) << false;
        QTest::newRow("same reason") << Status::needsPairing(one, QString("why"))
                                     << Status::needsPairing(one, QString("why")) << true;
        QTest::newRow("failed texts") << Status::failed("a") << Status::failed("b") << false;
        QTest::newRow("failed empty vs idle") << Status::failed("") << Status::idle() << false;
    }

    void statusEquality()
    {
        QFETCH(Status, a);
        QFETCH(Status, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
        QCOMPARE(b == a, equal);
    }

    void outcomeEquality_data()
    {
        QTest::addColumn<Outcome>("a");
        QTest::addColumn<Outcome>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("action") << Outcome::action(true, "x") << Outcome::action(true, "x") << true;
        QTest::newRow("action ok differs")
            << Outcome::action(true, "x") << Outcome::action(false, "x") << false;
        QTest::newRow("check without reading vs off")
            << Outcome::statusCheck(std::nullopt, "d") << Outcome::statusCheck(false, "d") << false;
        QTest::newRow("check same")
            << Outcome::statusCheck(true, "d") << Outcome::statusCheck(true, "d") << true;
        QTest::newRow("failed vs action with same text")
            << Outcome::failed("x") << Outcome::action(false, "x") << false;
        QTest::newRow("failed vs check with same text")
            << Outcome::failed("x") << Outcome::statusCheck(std::nullopt, "x") << false;
    }

    void outcomeEquality()
    {
        QFETCH(Outcome, a);
        QFETCH(Outcome, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
    }

    void noCachedDeckOnAFreshInstallation() { QCOMPARE(ClientModel::cachedDeck(), std::nullopt); }

    void cachedDeckSurvivesARelaunch()
    {
        const Deck deck = ClientTest::sampleDeck("Cached / Deck");
        ClientModel::saveCachedDeck(deck);
        QCOMPARE(ClientModel::cachedDeck(), std::optional<Deck>(deck));
        const QByteArray stored =
            openClientSettings()->value(ClientModel::lastDeckKey).toByteArray();
        QVERIFY(stored.startsWith("{"));
        QVERIFY(!stored.contains('\n'));
    }

    void undecodableCacheReadsAsNoneAndStays()
    {
        openClientSettings()->setValue(ClientModel::lastDeckKey, QByteArray("{\"deck\": 1}"));
        QCOMPARE(ClientModel::cachedDeck(), std::nullopt);
        QCOMPARE(openClientSettings()->value(ClientModel::lastDeckKey).toByteArray(),
                 QByteArray("{\"deck\": 1}"));
    }

    void visibleDeckFallsBackToTheCacheOnlyWhenPersistent()
    {
        ClientModel::saveCachedDeck(ClientTest::sampleDeck("Remembered"));
        ClientModel shared("Remote", KeychainTokenStore(), true);
        ClientModel privateModel("Remote", KeychainTokenStore(), false);
        QCOMPARE(shared.visibleDeck()->deckName, "Remembered");
        QCOMPARE(privateModel.visibleDeck(), std::nullopt);
    }

    void privateModelIgnoresTheRememberedHost()
    {
        openClientSettings()->setValue(ClientModel::lastHostNameKey, "Studio");
        openClientSettings()->setValue(ClientModel::preferredHostKeySetting, "KEY");
        ClientModel shared("Remote", KeychainTokenStore(), true);
        ClientModel privateModel("Remote", KeychainTokenStore(), false);
        QCOMPARE(shared.rememberedHostName(), std::optional<QString>("Studio"));
        QCOMPARE(shared.preferredHostKey(), std::optional<QString>("KEY"));
        QCOMPARE(privateModel.rememberedHostName(), std::nullopt);
        QCOMPARE(privateModel.preferredHostKey(), std::nullopt);
        QVERIFY(privateModel.preferredHostIsMissing() == false);
        QVERIFY(shared.preferredHostIsMissing());
    }
};

QTEST_GUILESS_MAIN(ClientValuesTest)
#include "ClientValuesTest.moc"

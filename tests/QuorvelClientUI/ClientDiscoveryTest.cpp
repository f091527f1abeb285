#include "ClientTestSupport.h"
#include "DBusSandboxReentry.h"
#include "Platform/Discovery/ServiceDiscovery.h"

#include <QCoreApplication>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using Status = ClientModel::ConnectionStatus;

namespace {

// Browsing, resolving and a first connection in the mDNS sandbox take a few seconds.
constexpr int discoveryLimitMs = 20000;

std::optional<DiscoveredHost> found(const ClientModel &model, const QString &name)
{
    for (const DiscoveredHost &host : model.foundHosts()) {
        if (host.name == name)
            return host;
    }
    return std::nullopt;
}

} // namespace

// The whole road of a new remote in the mDNS sandbox: it finds a host that advertises itself,
// chooses it, asks for its code, pairs (the code kept in the keyring of the D-Bus sandbox) and
// shows its deck.
class ClientDiscoveryTest : public QObject {
    Q_OBJECT

private slots:
    void findsChoosesAndPairsWithAnAdvertisedHost()
    {
        TestHost host(firstCode(), sampleDeck(), "Studio Host", &systemServiceDiscovery());
        QVERIFY(host.start());
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.start();

        QTRY_VERIFY_WITH_TIMEOUT(found(model, "Studio Host").has_value(), discoveryLimitMs);
        const DiscoveredHost listed = *found(model, "Studio Host");
        QCOMPARE(listed.hostID, std::optional<QString>(host.hostID()));
        QCOMPARE(listed.protocolVersion, std::optional<qint64>(2));
        QVERIFY(std::holds_alternative<ServiceEndpoint>(listed.endpoint));
        QVERIFY(!model.localNetworkBlocked());
        QVERIFY(!model.searchIsTakingLong());

        QTRY_COMPARE_WITH_TIMEOUT(model.status(), Status::needsPairing(listed, std::nullopt),
                                  discoveryLimitMs);
        QVERIFY(model.submitPairingCode(firstCode().displayText(), listed));
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        QCOMPARE(model.deck(), std::optional<Deck>(sampleDeck()));
        QCOMPARE(Keyring().read(host.hostID()), std::optional<PairingToken>(firstCode()));

        // Once this machine hosts it itself, the host is no longer offered.
        model.setExcludedHostID(host.hostID());
        QVERIFY(model.hosts().isEmpty());
        QCOMPARE(model.foundHosts().size(), 1);
        model.disconnectFromHost();
        model.stop();
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    ClientDiscoveryTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "ClientDiscoveryTest.moc"

#include "ClientTestSupport.h"
#include "DBusSandboxReentry.h"
#include "FakeServiceNetwork.h"
#include "HostileCrowd.h"

#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using Status = ClientModel::ConnectionStatus;

namespace {

// Browsing, resolving and a first connection take a moment under the sanitizers.
constexpr int discoveryLimitMs = 20000;
// A restarted host listens on a new port. The model's first try after the drop may resolve the
// old run's advertisement, which lingers in the mDNS cache for a moment; the link looks the
// service up again on each retry, but this leaves room for the cache, the model's reconnect
// pause and a slow machine.
constexpr int restartLimitMs = 40000;
// A switch's state is checked again this soon after it was turned, not the real half second.
constexpr double quickRecheckDelay = 0.05;

Action shell(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

Control button(const QString &id, const QString &title, const QString &command)
{
    Control control;
    control.id = id;
    control.title = title;
    control.type = ControlType::button;
    control.action = shell(command);
    return control;
}

// A switch whose state is whether `flag` exists.
Control flagSwitch(const QString &id, const QString &flag)
{
    Control control;
    control.id = id;
    control.title = QStringLiteral("Lamp");
    control.type = ControlType::toggle;
    control.onAction = shell(QStringLiteral("touch '%1'").arg(flag));
    control.offAction = shell(QStringLiteral("rm -f '%1'").arg(flag));
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("test -e '%1'").arg(flag),
                    std::nullopt, std::nullopt};
    return control;
}

// A coordinator on loopback, advertised on the in-process network, that can be turned off and on
// again as a user does: its data folder, and with it the host id, outlives each run. The deck comes
// from a deck file of its own; the code from the environment until the host rotates it.
class RealHost {
public:
    RealHost(Testing::FakeServiceNetwork &network, const Deck &deck, const PairingToken &code)
        : m_network(network), m_deckPath(m_deckDir.filePath(QStringLiteral("deck.json")))
    {
        // Every test function meets a host it has never seen, with a new id and no settings.
        QDir(HostTokenStore::folderPath()).removeRecursively();
        QFile::remove(HostSettings::filePath());
        qputenv("QUORVEL_DECK", QFile::encodeName(m_deckPath));
        qputenv(HostTokenStore::environmentKey, code.normalized().toUtf8());
        m_deckWritten = writeDeck(deck);
        start();
    }
    ~RealHost()
    {
        stop();
        qunsetenv("QUORVEL_DECK");
        qunsetenv(HostTokenStore::environmentKey);
    }
    RealHost(const RealHost &) = delete;
    RealHost &operator=(const RealHost &) = delete;

    void start()
    {
        HostCoordinator::Options options;
        options.recheckDelay = quickRecheckDelay;
        options.discovery = &m_network;
        m_coordinator = std::make_unique<HostCoordinator>(options);
        m_coordinator->start();
    }
    // Hosting turned off: the listener, its advertisement and every link end.
    void stop()
    {
        if (m_coordinator) {
            m_coordinator->stop();
            m_coordinator.reset();
        }
    }
    bool writeDeck(const Deck &deck)
    {
        const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
        QSaveFile file(m_deckPath);
        if (!bytes || !file.open(QIODevice::WriteOnly))
            return false;
        file.write(*bytes);
        return file.commit();
    }

    bool deckWritten() const { return m_deckWritten; }
    bool isListening() const
    {
        return QTest::qWaitFor([this] { return m_coordinator->port().has_value(); }, answerLimitMs);
    }
    HostCoordinator &coordinator() { return *m_coordinator; }

private:
    Testing::FakeServiceNetwork &m_network;
    QTemporaryDir m_deckDir;
    QString m_deckPath;
    bool m_deckWritten = false;
    std::unique_ptr<HostCoordinator> m_coordinator;
};

std::optional<DiscoveredHost> listed(const ClientModel &model, const QString &hostID)
{
    for (const DiscoveredHost &host : model.hosts()) {
        if (host.hostID == hostID)
            return host;
    }
    return std::nullopt;
}

std::optional<bool> isOn(const ClientModel &model, const QString &controlID)
{
    const std::optional<ControlState> state = model.state(controlID);
    return state ? state->isOn : std::nullopt;
}

// Ends the link and the host, and waits until the model no longer lists the host: every host
// here has the machine's name, and a lingering record of this one, with its id and port, would
// be taken for the next test's host.
void endWithoutATrace(ClientModel &model, RealHost &host, const QString &hostID)
{
    model.disconnectFromHost();
    host.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!listed(model, hostID).has_value(), discoveryLimitMs);
    model.stop();
}

QString differentCodeText(const DiscoveredHost &host)
{
    return host.name + QStringLiteral(" has a different pairing code. Enter the current one.");
}

} // namespace

// The remote's model against the real host, both in this process: the coordinator advertises
// itself on an in-process network and serves its deck over the real link on loopback, and the model
// keeps the codes in the keyring of the D-Bus sandbox.
class ClientModelRealHostTest : public QObject {
    Q_OBJECT

    // Where the hosts advertise and the models look for them.
    Testing::FakeServiceNetwork network;

private slots:
    void init() { openClientSettings()->clear(); }

    // A new remote finds the host, asks for its code, refuses to go on with a wrong one, pairs
    // with the right one and then shows and drives what the host serves.
    void findsPairsAndRunsTheHostsActions()
    {
        QTemporaryDir flags;
        const QString flag = flags.filePath(QStringLiteral("lamp-on"));
        const Deck deck{
            QStringLiteral("Studio"),
            {button(QStringLiteral("hello"), QStringLiteral("Hello"), QStringLiteral("echo hi")),
             button(QStringLiteral("nothing"), QStringLiteral("Nothing"), QStringLiteral("true")),
             flagSwitch(QStringLiteral("lamp"), flag)}};
        const PairingToken code = PairingToken::generate();
        RealHost host(network, deck, code);
        QVERIFY(host.deckWritten());
        QVERIFY(host.isListening());
        const QString hostID = host.coordinator().hostID();

        ClientModel model(network, QStringLiteral("Remote"), KeychainTokenStore(), true,
                          fastTimings());
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(listed(model, hostID).has_value(), discoveryLimitMs);
        const DiscoveredHost found = *listed(model, hostID);
        QCOMPARE(found.name, host.coordinator().hostName());
        QTRY_COMPARE_WITH_TIMEOUT(model.status(), Status::needsPairing(found, std::nullopt),
                                  discoveryLimitMs);

        // The host's TLS refuses a wrong code; the model asks again and does not retry the
        // rejected code on its own, however often its watch reads the keyring.
        const PairingToken wrong = PairingToken::generate();
        QVERIFY(wrong != code);
        QVERIFY(model.submitPairingCode(wrong.displayText(), found));
        QTRY_COMPARE_WITH_TIMEOUT(model.status(),
                                  Status::needsPairing(found, differentCodeText(found)),
                                  discoveryLimitMs);
        const int watchChecks = 10;
        QVERIFY(
            !QTest::qWaitFor([&] { return model.status().kind() != Status::Kind::needsPairing; },
                             watchChecks * int(fastTimings().pairingWatchInterval.count())));
        QVERIFY(host.coordinator().authenticatedClients().isEmpty());

        QVERIFY(model.submitPairingCode(code.displayText(), found));
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        QCOMPARE(model.status(), Status::connected(found));
        QCOMPARE(model.deck(), std::optional<Deck>(deck));
        QVERIFY(model.hostInfo().has_value());
        QCOMPARE(model.hostInfo()->hostName, host.coordinator().hostName());
        QVERIFY(!model.canEditDeck());
        QCOMPARE(Keyring().read(hostID), std::optional<PairingToken>(code));
        QCOMPARE(host.coordinator().connectedClientNames(), QStringList{QStringLiteral("Remote")});
        QTRY_COMPARE(isOn(model, QStringLiteral("lamp")), std::optional<bool>(false));

        Answer<ClientModel::RunOutcome> hello;
        model.runControl(QStringLiteral("hello"), std::nullopt, hello.context(), hello.handler());
        QCOMPARE(hello.wait(), std::optional(ClientModel::RunOutcome{true, QStringLiteral("hi")}));
        QCOMPARE(hello.count(), 1);

        // A press waits for nobody: its result shows as the notice and frees the button.
        model.press(QStringLiteral("nothing"));
        QVERIFY(model.pendingControls().contains(QStringLiteral("nothing")));
        QTRY_COMPARE(model.lastNotice(), std::optional<QString>(QStringLiteral("Nothing: ok")));
        QVERIFY(model.pendingControls().isEmpty());

        // The host's re-check after the switch reaches the model as the switch's new state.
        model.setSwitch(QStringLiteral("lamp"), true);
        QTRY_COMPARE(isOn(model, QStringLiteral("lamp")), std::optional<bool>(true));
        QVERIFY(QFile::exists(flag));
        QTRY_VERIFY(model.pendingControls().isEmpty());

        endWithoutATrace(model, host, hostID);
    }

    // Hosting turned off and on again: the host comes back on a new port, found again by mDNS,
    // with the deck its file holds now, and the remote follows without asking for the code.
    void reconnectsWhenTheHostIsBack()
    {
        const Deck before{
            QStringLiteral("Studio"),
            {button(QStringLiteral("hello"), QStringLiteral("Hello"), QStringLiteral("echo hi"))}};
        const Deck after{
            QStringLiteral("Stage"),
            {button(QStringLiteral("bye"), QStringLiteral("Bye"), QStringLiteral("echo bye"))}};
        const PairingToken code = PairingToken::generate();
        RealHost host(network, before, code);
        QVERIFY(host.isListening());
        const QString hostID = host.coordinator().hostID();
        QVERIFY(Keyring().save(code, hostID));

        ClientModel model(network, QStringLiteral("Remote"), KeychainTokenStore(), true,
                          fastTimings());
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        QCOMPARE(model.deck(), std::optional<Deck>(before));

        host.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!model.isConnected(), answerLimitMs);
        QVERIFY(model.pendingControls().isEmpty());
        QVERIFY(host.writeDeck(after));
        host.start();
        QVERIFY(host.isListening());
        QCOMPARE(host.coordinator().hostID(), hostID);

        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), restartLimitMs);
        QCOMPARE(model.deck(), std::optional<Deck>(after));
        QCOMPARE(model.status().host()->hostID, std::optional<QString>(hostID));
        Answer<ClientModel::RunOutcome> bye;
        model.runControl(QStringLiteral("bye"), std::nullopt, bye.context(), bye.handler());
        QCOMPARE(bye.wait(), std::optional(ClientModel::RunOutcome{true, QStringLiteral("bye")}));

        endWithoutATrace(model, host, hostID);
    }

    // Idle connections from sixteen other addresses hold every place there is to wait to pair,
    // each reopened as soon as the host closes it: the remote still pairs, runs, and follows the
    // host when hosting is turned off and on again.
    void staysServedWhileIdleConnectionsCrowdTheHost()
    {
        const Deck deck{
            QStringLiteral("Studio"),
            {button(QStringLiteral("hello"), QStringLiteral("Hello"), QStringLiteral("echo hi"))}};
        const PairingToken code = PairingToken::generate();
        RealHost host(network, deck, code);
        QVERIFY(host.isListening());
        const QString hostID = host.coordinator().hostID();
        QList<QHostAddress> crowdSources;
        const int crowdAddresses = 16;
        for (int i = 0; i < crowdAddresses; ++i)
            crowdSources.append(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)));
        const int perAddress = HostServer::maxWaiting / crowdAddresses;
        auto crowd = std::make_unique<LinkTest::HostileCrowd>(*host.coordinator().port(),
                                                              crowdSources, perAddress);
        QTRY_COMPARE(host.coordinator().server().waitingCount(), qsizetype(HostServer::maxWaiting));

        ClientModel model(network, QStringLiteral("Remote"), KeychainTokenStore(), true,
                          fastTimings());
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(listed(model, hostID).has_value(), discoveryLimitMs);
        const DiscoveredHost found = *listed(model, hostID);
        QVERIFY(model.submitPairingCode(code.displayText(), found));
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        Answer<ClientModel::RunOutcome> hello;
        model.runControl(QStringLiteral("hello"), std::nullopt, hello.context(), hello.handler());
        QCOMPARE(hello.wait(), std::optional(ClientModel::RunOutcome{true, QStringLiteral("hi")}));

        host.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!model.isConnected(), answerLimitMs);
        host.start();
        QVERIFY(host.isListening());
        crowd = std::make_unique<LinkTest::HostileCrowd>(*host.coordinator().port(), crowdSources,
                                                         perAddress);
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), restartLimitMs);
        Answer<ClientModel::RunOutcome> again;
        model.runControl(QStringLiteral("hello"), std::nullopt, again.context(), again.handler());
        QCOMPARE(again.wait(), std::optional(ClientModel::RunOutcome{true, QStringLiteral("hi")}));

        crowd.reset();
        endWithoutATrace(model, host, hostID);
    }

    // A rotated code drops the paired remote; it asks for the new code instead of retrying the
    // old one, and pairs again once the user types it.
    void rotatedCodeAsksForTheNewOne()
    {
        const Deck deck{
            QStringLiteral("Studio"),
            {button(QStringLiteral("hello"), QStringLiteral("Hello"), QStringLiteral("echo hi"))}};
        const PairingToken code = PairingToken::generate();
        RealHost host(network, deck, code);
        QVERIFY(host.isListening());
        const QString hostID = host.coordinator().hostID();
        QVERIFY(Keyring().save(code, hostID));

        ClientModel model(network, QStringLiteral("Remote"), KeychainTokenStore(), true,
                          fastTimings());
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        const DiscoveredHost found = *model.status().host();

        host.coordinator().rotatePairingCode();
        const PairingToken rotated = host.coordinator().pairingToken();
        QVERIFY(rotated != code);
        QTRY_COMPARE_WITH_TIMEOUT(model.status(),
                                  Status::needsPairing(found, differentCodeText(found)),
                                  discoveryLimitMs);
        QVERIFY(!model.autoReconnect());
        QCOMPARE(model.deck(), std::nullopt);

        QVERIFY(model.submitPairingCode(rotated.displayText(), found));
        QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), discoveryLimitMs);
        QCOMPARE(model.deck(), std::optional<Deck>(deck));
        QCOMPARE(Keyring().read(hostID), std::optional<PairingToken>(rotated));
        QCOMPARE(host.coordinator().authenticatedClients().size(), 1);

        endWithoutATrace(model, host, hostID);
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    ClientModelRealHostTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "ClientModelRealHostTest.moc"

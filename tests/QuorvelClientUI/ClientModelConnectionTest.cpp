#include "ClientTestSupport.h"

#include <QSignalSpy>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using Status = ClientModel::ConnectionStatus;

namespace {

DiscoveredHost fakeHost(const QString &name, std::optional<QString> hostID)
{
    DiscoveredHost host;
    host.name = name;
    host.id = name + "._quorvel._tcp.local.";
    // Nothing listens there: these hosts are only listed, never reached.
    host.endpoint = HostPortEndpoint{"127.0.0.1", 9};
    host.protocolVersion = 2;
    host.hostID = hostID;
    return host;
}

QString newID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Records every status the model goes through.
struct StatusLog {
    explicit StatusLog(ClientModel &model)
    {
        QObject::connect(&model, &ClientModel::statusChanged, &model,
                         [this, &model] { statuses.append(model.status()); });
    }
    bool any(Status::Kind kind) const
    {
        return std::any_of(statuses.cbegin(), statuses.cend(),
                           [kind](const Status &s) { return s.kind() == kind; });
    }
    QList<Status> statuses;
};

} // namespace

// Finding and choosing hosts, connecting, pairing and reconnecting, against a real host link on
// loopback and the real keyring of the D-Bus sandbox.
class ClientModelConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void pairsWithTheRightCodeAndShowsTheDeck()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        ControlState fan;
        fan.id = "fan";
        fan.isOn = true;
        fan.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        host.states = {fan};
        QVERIFY(host.start());
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());

        model.connectTo(host.listing());
        QTRY_COMPARE(model.status(), Status::needsPairing(host.listing(), std::nullopt));
        QVERIFY(model.isWatchingForPairingCode());
        QCOMPARE(host.connectionCount, 0);

        QVERIFY(!model.submitPairingCode("ABC-123", host.listing()));
        QCOMPARE(model.status(),
                 Status::needsPairing(host.listing(), QString("That doesn't look like a pairing "
                                                              "code.")));

        QVERIFY(model.submitPairingCode(firstCode().displayText().toLower(), host.listing()));
        QTRY_COMPARE(model.status(), Status::connected(host.listing()));
        QCOMPARE(model.deck(), std::optional<Deck>(sampleDeck()));
        QCOMPARE(model.hostInfo(), std::optional<HostInfo>(host.info));
        QCOMPARE(model.state("fan"), std::optional<ControlState>(fan));
        QVERIFY(model.tlsSummary().has_value());
        QVERIFY(!model.isWatchingForPairingCode());
        QVERIFY(model.canEditDeck());
        QCOMPARE(model.rememberedHostName(), std::optional<QString>(host.info.hostName));
        QCOMPARE(openClientSettings()->value(ClientModel::lastHostNameKey).toString(),
                 host.info.hostName);
        QCOMPARE(openClientSettings()->value(ClientModel::preferredHostKeySetting).toString(),
                 host.hostID());
        QCOMPARE(ClientModel::cachedDeck(), std::optional<Deck>(sampleDeck()));
        QCOMPARE(Keyring().read(host.hostID()), std::optional<PairingToken>(firstCode()));

        const Message::Hello hello = *host.received.front().as<Message::Hello>();
        QCOMPARE(hello.clientName, "Remote");
        QCOMPARE(hello.protocolVersion, 2);
        QCOMPARE(hello.editorAuth, std::nullopt);
    }

    // The Keychain answers a save later; a host picked meanwhile is the user's newer choice and
    // must not be replaced by a connection to the host whose code was typed.
    void hostPickedWhileTheTypedCodeIsSavedStaysChosen()
    {
        TestHost typedFor(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(typedFor.start());
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        const DiscoveredHost picked = fakeHost(uniqueHostName() + " picked", newID());

        QVERIFY(model.submitPairingCode(firstCode().displayText(), typedFor.listing()));
        model.connectTo(picked);
        QTRY_COMPARE(model.status(), Status::needsPairing(picked, std::nullopt));
        QTRY_COMPARE(Keyring().read(typedFor.hostID()), std::optional<PairingToken>(firstCode()));
        QVERIFY(!QTest::qWaitFor(
            [&] {
                return typedFor.connectionCount > 0 ||
                       model.status() != Status::needsPairing(picked, std::nullopt);
            },
            300));
    }

    // A view that retries the host its status names hands in a reference into the status, which
    // connecting replaces at once.
    void connectingToTheHostTheStatusNames()
    {
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        const DiscoveredHost waiting = fakeHost(uniqueHostName(), newID());
        model.connectTo(waiting);
        QTRY_COMPARE(model.status(), Status::needsPairing(waiting, std::nullopt));

        model.connectTo(*model.status().host());
        QCOMPARE(model.preferredHostKey(), waiting.hostID);
        QTRY_COMPARE(model.status(), Status::needsPairing(waiting, std::nullopt));
    }

    // The browser and the connection notify every assignment, also of none; the status only a
    // real change.
    void browserAndConnectionAlwaysNotify()
    {
        ClientModel model("Remote", KeychainTokenStore(), false, fastTimings());
        QSignalSpy browsing(&model, &ClientModel::browsingChanged);
        QSignalSpy connection(&model, &ClientModel::connectionChanged);
        QSignalSpy status(&model, &ClientModel::statusChanged);
        model.stop();
        model.disconnectFromHost();
        QCOMPARE(browsing.size(), 1);
        QCOMPARE(connection.size(), 1);
        QCOMPARE(status.size(), 0);
    }

    void helloCarriesTheEditorProofWhenAnEditorKeyIsSet()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        QVERIFY(Keyring().save(firstCode(), host.hostID()));
        ClientModel model("Editor", KeychainTokenStore(), false, fastTimings());
        model.setEditorKey(secondCode());
        model.connectTo(host.listing());
        QTRY_VERIFY(model.isConnected());
        const Message::Hello hello = *host.received.front().as<Message::Hello>();
        QVERIFY(hello.auth && hello.editorAuth);
        QVERIFY(*hello.auth != *hello.editorAuth);
        QVERIFY(ClientModel::cachedDeck() == std::nullopt);
        QVERIFY(!openClientSettings()->contains(ClientModel::preferredHostKeySetting));
    }

    // The TLS handshake proved the code the link was opened with; the hello must prove the same
    // code even when the Keychain has changed meanwhile.
    void helloProvesTheCodeTheLinkWasOpenedWith()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        host.holdChallenges = true;
        QVERIFY(host.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.connectTo(host.listing());
        QTRY_VERIFY(model.tlsSummary().has_value());

        QVERIFY(keyring.save(secondCode(), host.hostID()));
        host.releaseChallenges();
        QTRY_VERIFY(model.isConnected());
        QCOMPARE(host.authenticated.size(), 1);
    }

    void wrongCodeAtHelloAsksForTheCodeAndWaitsForADifferentOne()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        host.refuseHelloAsUnauthorized = "pairing code is missing or wrong";
        QVERIFY(host.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.receiveHosts({host.listing()});

        const QString name = host.listing().name;
        QTRY_COMPARE(model.status(),
                     Status::needsPairing(host.listing(),
                                          name +
                                              " didn't accept the code. Check it in Quorvel's "
                                              "settings on " +
                                              name + " (This Computer → Pairing)."));
        QVERIFY(model.isWatchingForPairingCode());
        // The watch reads the same, refused code again and again without reconnecting.
        QVERIFY(!QTest::qWaitFor([&] { return host.connectionCount > 1; }, 400));
        QCOMPARE(model.status().kind(), Status::Kind::needsPairing);

        host.refuseHelloAsUnauthorized.reset();
        host.rotateCode(secondCode());
        QVERIFY(keyring.save(secondCode(), host.hostID()));
        QTRY_VERIFY(model.isConnected());
    }

    void otherRefusalOfTheHelloReconnectsInsteadOfAskingForACode()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        host.refuseHelloAsUnauthorized = "handshake timed out";
        QVERIFY(host.start());
        QVERIFY(Keyring().save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        StatusLog log(model);
        model.receiveHosts({host.listing()});

        QTRY_VERIFY(host.connectionCount >= 2);
        QVERIFY(log.any(Status::Kind::failed));
        QVERIFY(!log.any(Status::Kind::needsPairing));

        host.refuseHelloAsUnauthorized.reset();
        QTRY_VERIFY(model.isConnected());
        QVERIFY(!log.any(Status::Kind::needsPairing));
    }

    void reconnectsAfterTheHostRestarts()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        QVERIFY(Keyring().save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.receiveHosts({host.listing()});
        QTRY_VERIFY(model.isConnected());

        host.stop();
        QTRY_COMPARE(model.status().kind(), Status::Kind::failed);
        QVERIFY(model.pendingControls().isEmpty());
        QVERIFY(host.start());
        QTRY_VERIFY(model.isConnected());
        QCOMPARE(model.deck(), std::optional<Deck>(sampleDeck()));
    }

    void closedLinkOfAnUnlistedHostWaitsForTheNextList()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        QVERIFY(Keyring().save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.connectTo(host.listing());
        QTRY_VERIFY(model.isConnected());

        host.stop();
        QVERIFY(host.start());
        QTRY_COMPARE(model.status(), Status::failed("disconnected"));
        QVERIFY(!QTest::qWaitFor([&] { return host.connectionCount > 1; }, 300));

        model.receiveHosts({host.listing()});
        QTRY_VERIFY(model.isConnected());
    }

    void rotatedCodeAsksAgainAndTheWatchPicksUpTheNewCode()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.receiveHosts({host.listing()});
        QTRY_VERIFY(model.isConnected());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("failed handshake"));
        host.rotateCode(secondCode());
        const QString name = host.listing().name;
        QTRY_COMPARE(
            model.status(),
            Status::needsPairing(host.listing(),
                                 name + " has a different pairing code. Enter the current one."));
        QVERIFY(!model.autoReconnect());

        QVERIFY(keyring.save(secondCode(), host.hostID()));
        QTRY_VERIFY(model.isConnected());
    }

    void versionRefusalStopsReconnecting()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        host.refuseVersion = true;
        QVERIFY(host.start());
        QVERIFY(Keyring().save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.receiveHosts({host.listing()});

        const QString text = host.listing().name +
                             " runs a different version of Quorvel. Update both to the "
                             "latest version.";
        QTRY_COMPARE(model.status(), Status::failed(text));
        QVERIFY(model.refusedForVersion());
        QVERIFY(!QTest::qWaitFor([&] { return host.connectionCount > 1; }, 300));
        QCOMPARE(model.status(), Status::failed(text));

        host.refuseVersion = false;
        model.connectTo(host.listing());
        QVERIFY(!model.refusedForVersion());
        QTRY_VERIFY(model.isConnected());
    }

    void codeStoredUnderTheNameMovesToTheHostID()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), host.listing().name));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.connectTo(host.listing());
        QTRY_VERIFY(model.isConnected());
        QTRY_COMPARE(keyring.read(host.listing().name), std::nullopt);
        QCOMPARE(keyring.read(host.hostID()), std::optional<PairingToken>(firstCode()));
    }

    void forgettingTheCodeDisconnects()
    {
        TestHost host(firstCode(), sampleDeck(), uniqueHostName());
        QVERIFY(host.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), host.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.connectTo(host.listing());
        QTRY_VERIFY(model.isConnected());

        model.forgetPairingCode(host.listing());
        QTRY_COMPARE(model.status(), Status::idle());
        QCOMPARE(model.deck(), std::nullopt);
        QCOMPARE(model.hostInfo(), std::nullopt);
        QCOMPARE(keyring.read(host.hostID()), std::nullopt);
    }

    void aNewConnectionSupersedesTheOldOne()
    {
        TestHost first(firstCode(), sampleDeck("First"), uniqueHostName() + " 1");
        TestHost second(secondCode(), sampleDeck("Second"), uniqueHostName() + " 2");
        first.holdChallenges = true;
        QVERIFY(first.start());
        QVERIFY(second.start());
        Keyring keyring;
        QVERIFY(keyring.save(firstCode(), first.hostID()));
        QVERIFY(keyring.save(secondCode(), second.hostID()));
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        QSignalSpy decks(&model, &ClientModel::deckChanged);

        model.connectTo(first.listing());
        QTRY_VERIFY(model.tlsSummary().has_value());
        model.connectTo(second.listing());
        QTRY_VERIFY(model.isConnected());
        QCOMPARE(model.status(), Status::connected(second.listing()));
        QCOMPARE(model.deck()->deckName, "Second");
        first.releaseChallenges();
        QVERIFY(!QTest::qWaitFor([&] { return model.deck()->deckName != "Second"; }, 200));
        QCOMPARE(decks.size(), 1);
    }

    void ownHostIsLeftOut()
    {
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        const QString ownID = newID();
        const DiscoveredHost a = fakeHost("A", newID());
        const DiscoveredHost own = fakeHost("Own", ownID);
        const DiscoveredHost plain = fakeHost("Plain", std::nullopt);
        model.setExcludedHostID(ownID);
        model.receiveHosts({a, own, plain});
        QCOMPARE(model.foundHosts(), QList<DiscoveredHost>({a, own, plain}));
        QCOMPARE(model.hosts(), QList<DiscoveredHost>({a, plain}));

        QSignalSpy changes(&model, &ClientModel::hostsChanged);
        model.setExcludedHostID(a.hostID);
        QCOMPARE(model.hosts(), QList<DiscoveredHost>({own, plain}));
        model.setExcludedHostID(a.hostID);
        QCOMPARE(changes.size(), 1);
        model.setExcludedHostID(std::nullopt);
        QCOMPARE(model.hosts(), model.foundHosts());
    }

    void firstListedHostIsChosenWithoutAPreferredOne()
    {
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        const DiscoveredHost a = fakeHost(uniqueHostName() + " A", newID());
        const DiscoveredHost b = fakeHost(uniqueHostName() + " B", newID());
        model.receiveHosts({a, b});
        QTRY_COMPARE(model.status(), Status::needsPairing(a, std::nullopt));
        QCOMPARE(model.preferredHostKey(), a.hostID);
    }

    void preferredHostThatIsNotListedIsWaitedFor()
    {
        openClientSettings()->setValue(ClientModel::preferredHostKeySetting, "ELSEWHERE");
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        QSignalSpy statuses(&model, &ClientModel::statusChanged);
        model.receiveHosts({fakeHost("A", newID()), fakeHost("B", std::nullopt)});
        QVERIFY(model.preferredHostIsMissing());
        QVERIFY(!QTest::qWaitFor([&] { return !statuses.isEmpty(); }, 200));
        QCOMPARE(model.status(), Status::idle());

        const DiscoveredHost usual = fakeHost("ELSEWHERE", std::nullopt);
        model.receiveHosts({usual});
        QVERIFY(!model.preferredHostIsMissing());
        QTRY_COMPARE(model.status(), Status::needsPairing(usual, std::nullopt));
    }

    void searchTakingLongIsToldAndClearedByAHost()
    {
        ClientModel model("Remote", KeychainTokenStore(), false, fastTimings());
        model.start();
        QVERIFY(model.isBrowsing());
        QVERIFY(!model.searchIsTakingLong());
        QTRY_VERIFY(model.searchIsTakingLong());
        model.receiveHosts({fakeHost("A", newID())});
        QVERIFY(!model.searchIsTakingLong());
        model.stop();
        QVERIFY(!model.isBrowsing());
    }
};

QTEST_GUILESS_MAIN(ClientModelConnectionTest)
#include "ClientModelConnectionTest.moc"

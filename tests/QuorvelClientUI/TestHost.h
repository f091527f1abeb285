#pragma once

#include "FakeServiceNetwork.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Link/HostServer.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Quorvel::ClientTest {

// A small host on 127.0.0.1 over a real HostServer, answering as the host link does: a
// challenge on every new connection, then hello (version and proof checked), host info, deck and
// states, and results for runs, tries and deck updates. Knobs make it misbehave the ways the
// client must cope with. It advertises through `discovery` (an in-process network of its own
// unless a test passes this machine's mDNS service).
class TestHost {
public:
    TestHost(const PairingToken &code, Deck deck, QString serviceName = QStringLiteral("Test Host"),
             ServiceDiscovery *discovery = nullptr);
    ~TestHost();

    // Listens on a free port the first time, on the same port afterwards.
    bool start();
    // Closes every connection and the listener.
    void stop();
    // Listens again for a new code (a rotated pairing code).
    void rotateCode(const PairingToken &code);

    // The host as a browser would list it, reached by address and port.
    DiscoveredHost listing() const;
    quint16 port() const { return m_port; }
    const QString &hostID() const { return m_hostID; }
    HostServer *server() const { return m_server.get(); }

    // Sends the pending challenge now to every connection that waits for it.
    void releaseChallenges();
    // Changes the deck the host acts on without telling anyone.
    void setDeckQuietly(const Deck &deck) { m_deck = deck; }
    // Sends a message to every connected client.
    void broadcast(const Message &message);
    // Answers every run, try and deck update that waits, in order.
    void releaseReplies();

    // Knobs.
    HostInfo info;
    std::vector<ControlState> states;
    // Challenges wait for releaseChallenges().
    bool holdChallenges = false;
    // Runs, tries and deck updates get no answer.
    bool silent = false;
    // Authenticated clients get no deck.
    bool withholdDeck = false;
    // The states that follow the deck wait until the test broadcasts them.
    bool holdStates = false;
    // Every hello is refused with this version_mismatch, or unauthorized, message.
    bool refuseVersion = false;
    std::optional<QString> refuseHelloAsUnauthorized;
    // Deck updates are refused with these problems.
    std::optional<QStringList> refuseDeckUpdates;
    // Runs, tries and deck updates wait for releaseReplies().
    bool holdReplies = false;
    // What a successful run answers.
    QString runOutput = QStringLiteral("done");

    // What clients sent, in order.
    std::vector<Message> received;
    int connectionCount = 0;
    QList<QUuid> authenticated;

private:
    void handleConnected(const HostServer::Client &client);
    void handleMessage(const QUuid &client, const Message &message);
    void handleHello(const QUuid &client, const Message::Hello &hello);
    void answer(const QUuid &client, const Message &request);
    void answerDeckUpdate(const QUuid &client, const Message::UpdateDeck &update);

    PairingToken m_code;
    Deck m_deck;
    QString m_serviceName;
    QString m_hostID;
    quint16 m_port = 0;
    Testing::FakeServiceNetwork m_ownNetwork;
    ServiceDiscovery &m_discovery;
    std::unique_ptr<HostServer> m_server;
    QHash<QUuid, QString> m_nonces;
    QSet<QUuid> m_challengeHeld;
    std::vector<std::pair<QUuid, Message>> m_heldRequests;
};

// Two codes for the tests.
PairingToken firstCode();
PairingToken secondCode();

// A deck with a button "lamp", a switch "fan" and a readout "temp".
Deck sampleDeck(const QString &name = QStringLiteral("Studio"));

} // namespace Quorvel::ClientTest

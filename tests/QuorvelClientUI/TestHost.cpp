#include "TestHost.h"

#include <QDateTime>

namespace Quorvel::ClientTest {

PairingToken firstCode()
{
    return *PairingToken::parse(QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2"));
}

PairingToken secondCode()
{
    return *PairingToken::parse(QStringLiteral("2345-6789-ABCD-EFGH-JKMN-PQRS"));
}

Deck sampleDeck(const QString &name)
{
    Deck deck;
    deck.deckName = name;
    Control lamp;
    lamp.id = QStringLiteral("lamp");
    lamp.title = QStringLiteral("Desk Lamp");
    lamp.type = ControlType::button;
    lamp.action = Action{Action::Kind::shell, QStringLiteral("true"), std::nullopt, std::nullopt,
                         std::nullopt};
    Control fan;
    fan.id = QStringLiteral("fan");
    fan.title = QStringLiteral("Fan");
    fan.type = ControlType::toggle;
    fan.onAction = lamp.action;
    fan.offAction = lamp.action;
    Control temp;
    temp.id = QStringLiteral("temp");
    temp.title = QStringLiteral("Temperature");
    temp.type = ControlType::metric;
    temp.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, QStringLiteral("echo 21"),
                                   std::nullopt, std::nullopt};
    deck.controls = {lamp, fan, temp};
    return deck;
}

TestHost::TestHost(const PairingToken &code, Deck deck, QString serviceName,
                   ServiceDiscovery *discovery)
    : m_code(code), m_deck(std::move(deck)), m_serviceName(std::move(serviceName)),
      m_hostID(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()),
      m_discovery(discovery ? *discovery : m_ownNetwork)
{
    info = HostInfo{m_serviceName, QStringLiteral("1.0"), true};
}

TestHost::~TestHost() = default;

bool TestHost::start()
{
    m_server = std::make_unique<HostServer>(
        m_serviceName, m_hostID, m_port,
        std::unique_ptr<ServicePublisher>(m_discovery.makePublisher(nullptr)));
    m_server->onClientConnected = [this](const HostServer::Client &c) { handleConnected(c); };
    m_server->onMessage = [this](const QUuid &id, const Message &m) { handleMessage(id, m); };
    m_server->onClientDisconnected = [this](const QUuid &id) {
        m_nonces.remove(id);
        m_challengeHeld.remove(id);
        authenticated.removeAll(id);
    };
    if (m_server->start(m_code))
        return false;
    m_port = m_server->listeningPort().value_or(0);
    return m_port != 0;
}

void TestHost::stop()
{
    m_server.reset();
    m_nonces.clear();
    m_challengeHeld.clear();
    m_heldRequests.clear();
    authenticated.clear();
}

void TestHost::rotateCode(const PairingToken &code)
{
    m_code = code;
    stop();
    start();
}

DiscoveredHost TestHost::listing() const
{
    DiscoveredHost host;
    host.name = m_serviceName;
    host.id = m_serviceName + QStringLiteral("._quorvel._tcp.local.");
    host.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), m_port};
    host.protocolVersion = 2;
    host.hostID = m_hostID;
    return host;
}

void TestHost::releaseChallenges()
{
    holdChallenges = false;
    for (const QUuid &client : std::as_const(m_challengeHeld))
        m_server->send(Message(Message::Challenge{m_nonces.value(client)}), client);
    m_challengeHeld.clear();
}

void TestHost::broadcast(const Message &message)
{
    m_server->broadcast(message);
}

void TestHost::releaseReplies()
{
    holdReplies = false;
    const auto held = std::exchange(m_heldRequests, {});
    for (const auto &[client, request] : held)
        answer(client, request);
}

void TestHost::answerDeckUpdate(const QUuid &client, const Message::UpdateDeck &update)
{
    if (refuseDeckUpdates) {
        m_server->send(
            Message(Message::DeckUpdateResult{update.requestID, false, *refuseDeckUpdates}),
            client);
        return;
    }
    m_deck = update.deck;
    m_server->send(Message(Message::DeckUpdateResult{update.requestID, true, {}}), client);
    m_server->broadcast(Message(m_deck));
}

void TestHost::handleConnected(const HostServer::Client &client)
{
    ++connectionCount;
    const QString nonce = PairingToken::makeNonce();
    m_nonces.insert(client.id, nonce);
    if (holdChallenges) {
        m_challengeHeld.insert(client.id);
        return;
    }
    m_server->send(Message(Message::Challenge{nonce}), client.id);
}

void TestHost::handleHello(const QUuid &client, const Message::Hello &hello)
{
    if (refuseVersion || hello.protocolVersion != Message::protocolVersion) {
        m_server->sendAndClose(
            Message(Message::Error{Message::ErrorCode::versionMismatch, QStringLiteral("v2")}),
            client);
        return;
    }
    const bool proven = hello.auth && m_code.verify(*hello.auth, m_nonces.value(client));
    if (refuseHelloAsUnauthorized || !proven) {
        const QString text =
            refuseHelloAsUnauthorized.value_or(QStringLiteral("pairing code is missing or wrong"));
        m_server->sendAndClose(Message(Message::Error{Message::ErrorCode::unauthorized, text}),
                               client);
        return;
    }
    m_server->markAuthenticated(client);
    authenticated.append(client);
    m_server->send(Message(info), client);
    if (withholdDeck)
        return;
    m_server->send(Message(m_deck), client);
    if (!holdStates)
        m_server->send(Message(Message::StateUpdate{states}), client);
}

void TestHost::handleMessage(const QUuid &client, const Message &message)
{
    received.push_back(message);
    if (const auto *hello = message.as<Message::Hello>()) {
        handleHello(client, *hello);
        return;
    }
    if (!authenticated.contains(client)) {
        m_server->sendAndClose(Message(Message::Error{Message::ErrorCode::unauthorized,
                                                      QStringLiteral("not authenticated")}),
                               client);
        return;
    }
    if (message.as<Message::RequestState>()) {
        m_server->send(Message(Message::StateUpdate{states}), client);
        return;
    }
    // Even a silent host refuses a run of an action its deck lacks.
    if (const auto *trigger = message.as<Message::TriggerAction>();
        trigger && !m_deck.control(trigger->controlID)) {
        m_server->send(
            Message(Message::Error{Message::ErrorCode::unknownControl, trigger->controlID}),
            client);
        return;
    }
    if (silent)
        return;
    if (holdReplies) {
        m_heldRequests.emplace_back(client, message);
        return;
    }
    answer(client, message);
}

void TestHost::answer(const QUuid &client, const Message &request)
{
    if (const auto *trigger = request.as<Message::TriggerAction>()) {
        m_server->send(
            Message(Message::ActionResult{trigger->requestID, trigger->controlID, true, runOutput}),
            client);
        return;
    }
    if (const auto *test = request.as<Message::Test>()) {
        m_server->send(Message(Message::TestResult{test->requestID, true, QStringLiteral("tested"),
                                                   test->statusCheck ? std::optional<bool>(true)
                                                                     : std::nullopt}),
                       client);
        return;
    }
    if (const auto *update = request.as<Message::UpdateDeck>())
        answerDeckUpdate(client, *update);
}

} // namespace Quorvel::ClientTest

// The host's door: the challenge for every new connection, the hello check, the dispatch of an
// authenticated client's requests and the forgetting of a client whose connection has gone.

#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "QuorvelCore/Link/DeviceText.h"

#include "QuorvelHostKit/Execution/HostCatalogBuilder.h"
#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/HostKitLogging.h"

#include <QPointer>

namespace Quorvel {

void HostCoordinator::handleClientConnected(const HostServer::Client &client)
{
    const QString nonce = PairingToken::makeNonce();
    setClients(m_clients.challenged(client.id, nonce));
    m_server->send(Message(Message::Challenge{nonce}), client.id);
}

void HostCoordinator::handleClientDisconnected(const QUuid &client)
{
    setClients(m_clients.without(client));
    writeStatusFile();
}

QCoro::Task<> HostCoordinator::handle(Message message, QUuid client)
{
    // Before the authentication test: hello is how a client gets authenticated, and a second
    // hello from an authenticated one is checked (and refused) like any other.
    if (const auto *hello = message.as<Message::Hello>()) {
        handleHello(client, *hello);
        co_return;
    }
    if (!m_clients.isAuthenticated(client)) {
        qCInfo(lcHostCoordinator, "Dropping message from unauthenticated client");
        m_server->sendAndClose(Message(Message::Error{Message::ErrorCode::unauthorized,
                                                      QStringLiteral("pair this device first")}),
                               client);
        co_return;
    }
    const std::optional<RequestsInFlight::Ticket> ticket = m_requestsInFlight.enter(client);
    if (!ticket) {
        m_server->send(Message(Message::Error{QString::fromLatin1(RequestsInFlight::refusalCode),
                                              QStringLiteral("wait for the answers to earlier "
                                                             "requests")}),
                       client);
        co_return;
    }
    if (const auto *trigger = message.as<Message::TriggerAction>()) {
        co_await triggerAction(trigger->requestID, trigger->controlID, trigger->desiredState,
                               client);
    } else if (const auto *update = message.as<Message::UpdateDeck>()) {
        updateDeck(update->requestID, update->deck, client);
    } else if (const auto *test = message.as<Message::Test>()) {
        co_await testAction(test->requestID, test->action, test->statusCheck, client);
    } else if (message.as<Message::RequestState>()) {
        sendStates(client);
    } else if (message.as<Message::RequestCatalog>()) {
        co_await sendCatalog(client);
    }
    // Every other type is one the host sends, never receives: dropped without a word.
}

void HostCoordinator::handleHello(const QUuid &client, const Message::Hello &hello)
{
    if (hello.protocolVersion != Message::protocolVersion) {
        const QString hostVersion = QString::number(Message::protocolVersion);
        const QString deviceVersion = QString::number(hello.protocolVersion);
        // The pending nonce stays until the connection's end removes it.
        refuseHello(client,
                    HostActivity::make(hello.clientName,
                                       QStringLiteral("Refused: a different version of Quorvel"),
                                       HostActivity::Outcome::failed,
                                       QStringLiteral("This host speaks version ") + hostVersion +
                                           QStringLiteral(", the device version ") + deviceVersion +
                                           QStringLiteral(".")),
                    Message::Error{Message::ErrorCode::versionMismatch,
                                   QStringLiteral("host speaks v") + hostVersion +
                                       QStringLiteral(", client sent v") + deviceVersion});
        return;
    }

    // A nonce answers one hello only, whatever its outcome.
    const auto [withoutNonce, nonce] = m_clients.takingNonce(client);
    setClients(withoutNonce);

    if (!nonce || !hello.auth || !m_pairingToken.verify(*hello.auth, *nonce)) {
        qCInfo(lcHostCoordinator, "Rejected client '%s': bad or missing pairing response",
               qUtf8Printable(OutsideText::forLog(hello.clientName)));
        m_server->reportFailedAuthentication(client);
        refuseHello(client,
                    HostActivity::make(hello.clientName,
                                       QStringLiteral("Refused: wrong or missing pairing code"),
                                       HostActivity::Outcome::failed),
                    Message::Error{Message::ErrorCode::unauthorized,
                                   QStringLiteral("pairing code is missing or wrong")});
        return;
    }

    // The server decides whether the device is paired (it caps the paired links); one it refuses
    // has been told so and closed, and was never connected as far as anyone here can see.
    if (!m_server->markAuthenticated(client))
        return;
    // Without the editor key the device is simply an ordinary paired one.
    const bool localEditor = hello.editorAuth && m_editorKey.verify(*hello.editorAuth, *nonce);
    setClients(m_clients.paired(client, hello.clientName, localEditor));
    writeStatusFile();
    qCInfo(lcHostCoordinator, "Client '%s' authenticated",
           qUtf8Printable(OutsideText::forLog(hello.clientName)));
    addActivity(HostActivity::make(hello.clientName, QStringLiteral("Connected"),
                                   HostActivity::Outcome::info));

    reloadDeckEditingSetting();
    m_server->send(Message(hostInfo(client)), client);
    m_server->send(Message(m_deck), client);
    sendStates(client);
}

void HostCoordinator::refuseHello(const QUuid &client, const HostActivity &entry,
                                  const Message::Error &error)
{
    addActivity(entry);
    m_server->sendAndClose(Message(error), client);
}

void HostCoordinator::sendStates(const QUuid &client)
{
    const QList<ControlState> states = m_monitor->allStates();
    m_server->send(Message(Message::StateUpdate{{states.cbegin(), states.cend()}}), client);
}

QCoro::Task<> HostCoordinator::sendCatalog(QUuid client)
{
    if (!checkEditingAllowed(client)) {
        co_return;
    }
    const QPointer<HostCoordinator> self(this);
    const HostCatalog catalog =
        co_await HostCatalogBuilder::build(m_executor.get(), m_appControls.get());
    if (self) {
        m_server->send(Message(catalog), client);
    }
}

} // namespace Quorvel

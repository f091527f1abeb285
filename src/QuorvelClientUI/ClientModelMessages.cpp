#include "QuorvelClientUI/ClientModel.h"

#include "QuorvelCore/ObservedField.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelClientUI/ClientUILogging.h"

namespace Quorvel {

namespace {

// The host's words for a hello whose proof does not match its code; other refusals of a hello
// (a handshake that took too long, for one) are passing and are answered by reconnecting.
const QString wrongCodeRefusal = QStringLiteral("pairing code is missing or wrong");

} // namespace

void ClientModel::handleMessage(const Message &message, const DiscoveredHost &host,
                                const PairingToken &code)
{
    using Kind = Message::Kind;
    switch (message.kind()) {
    case Kind::challenge:
        answerChallenge(message.as<Message::Challenge>()->nonce, code);
        return;
    case Kind::hostInfo: {
        const HostInfo &info = *message.as<HostInfo>();
        setHostInfo(info);
        setRememberedHostName(info.hostName);
        return;
    }
    case Kind::deck: {
        const Deck &deck = *message.as<Deck>();
        setDeck(deck);
        if (m_persistent)
            saveCachedDeck(deck);
        setStatus(ConnectionStatus::connected(host));
        return;
    }
    case Kind::stateUpdate:
        mergeStates(message.as<Message::StateUpdate>()->states);
        assignObserved(this, m_statesArrived, true, &ClientModel::statesArrivedChanged);
        return;
    case Kind::catalog:
        setCatalog(*message.as<HostCatalog>());
        return;
    case Kind::actionResult:
        handleActionResult(message);
        return;
    case Kind::deckUpdateResult:
        handleDeckUpdateResult(message);
        return;
    case Kind::testResult:
        resumeReply(message.as<Message::TestResult>()->requestID, message);
        return;
    case Kind::error:
        handleError(*message.as<Message::Error>(), host, code);
        return;
    case Kind::hello:
    case Kind::triggerAction:
    case Kind::updateDeck:
    case Kind::test:
    case Kind::requestState:
    case Kind::requestCatalog:
        // These go from a remote to a host.
        return;
    }
}

void ClientModel::answerChallenge(const QString &nonce, const PairingToken &code)
{
    // The proof uses the code this link was opened with: the TLS handshake has just shown that
    // the host holds it, whatever the Keychain may hold by now.
    Message::Hello hello;
    hello.clientName = m_clientName;
    hello.protocolVersion = Message::protocolVersion;
    hello.auth = code.proof(nonce);
    if (m_editorKey)
        hello.editorAuth = m_editorKey->proof(nonce);
    send(Message(hello));
}

void ClientModel::mergeStates(const std::vector<ControlState> &states)
{
    for (const ControlState &state : states) {
        m_states.insert(state.id, state);
        emit stateChanged(state.id);
        emit statesChanged();
    }
}

void ClientModel::handleActionResult(const Message &message)
{
    const Message::ActionResult &result = *message.as<Message::ActionResult>();
    removePendingControl(result.controlID);
    if (m_pendingReplies.count(result.requestID) != 0) {
        resumeReply(result.requestID, message);
        return;
    }
    QString name = result.controlID;
    if (m_deck) {
        if (const std::optional<Control> control = m_deck->control(result.controlID))
            name = control->title;
    }
    if (result.ok)
        setLastNotice(name + QStringLiteral(": ") + result.output.value_or(QStringLiteral("ok")));
    else
        setLastNotice(name + QStringLiteral(" failed: ") + result.output.value_or(QString()));
}

void ClientModel::handleDeckUpdateResult(const Message &message)
{
    const Message::DeckUpdateResult &result = *message.as<Message::DeckUpdateResult>();
    if (m_pendingReplies.count(result.requestID) != 0) {
        resumeReply(result.requestID, message);
        return;
    }
    if (result.ok)
        setLastNotice(QStringLiteral("Actions updated"));
    else
        setLastNotice(QStringLiteral("Actions not updated: ") +
                      result.problems.join(QStringLiteral("; ")));
}

void ClientModel::handleError(const Message::Error &error, const DiscoveredHost &host,
                              const PairingToken &code)
{
    if (error.code == Message::ErrorCode::unauthorized) {
        if (error.message == wrongCodeRefusal) {
            requirePairing(host,
                           host.name +
                               QStringLiteral(" didn't accept the code. Check it in "
                                              "Quorvel's settings on ") +
                               host.name + QStringLiteral(" (This Computer → Pairing)."),
                           code);
        } else {
            // The host closes the link next; the closed link is retried as usual.
            qCInfo(lcClientModel, "Host refused the link: %s",
                   qUtf8Printable(OutsideText::forLog(error.message)));
        }
        return;
    }
    if (error.code == Message::ErrorCode::versionMismatch) {
        setRefusedForVersion(true);
        setStatus(ConnectionStatus::failed(
            host.name +
            QStringLiteral(" runs a different version of Quorvel. Update both to the latest "
                           "version.")));
        qCInfo(lcClientModel, "Version mismatch: %s",
               qUtf8Printable(OutsideText::forLog(error.message)));
        return;
    }
    if (error.code == Message::ErrorCode::unknownControl) {
        // The message names the control id. No result follows for it, so it is no longer
        // waiting; a run waiting for it ends now with the refusal.
        if (m_pendingControls.contains(error.message))
            removePendingControl(error.message);
        if (endRunsOfUnknownControl(error.message, Message(error)))
            return;
    }
    setLastNotice(error.code + QStringLiteral(": ") + error.message);
}

} // namespace Quorvel

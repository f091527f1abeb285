#include "QuorvelCore/Model/Message.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QJsonArray>
#include <QUuid>

namespace Quorvel {

namespace {

// A hello that states no version predates versioning.
constexpr qint64 unversionedProtocol = 1;

const QString typeKey = QStringLiteral("type");
const QString clientNameKey = QStringLiteral("client_name");
const QString protocolVersionKey = QStringLiteral("protocol_version");
const QString authKey = QStringLiteral("auth");
const QString editorAuthKey = QStringLiteral("editor_auth");
const QString nonceKey = QStringLiteral("nonce");
const QString requestIDKey = QStringLiteral("request_id");
const QString controlIDKey = QStringLiteral("control_id");
const QString desiredStateKey = QStringLiteral("desired_state");
const QString deckKey = QStringLiteral("deck");
const QString statesKey = QStringLiteral("states");
const QString okKey = QStringLiteral("ok");
const QString outputKey = QStringLiteral("output");
const QString codeKey = QStringLiteral("code");
const QString messageKey = QStringLiteral("message");
const QString problemsKey = QStringLiteral("problems");
const QString catalogKey = QStringLiteral("catalog");
const QString actionKey = QStringLiteral("action");
const QString statusCheckKey = QStringLiteral("status_check");
const QString isOnKey = QStringLiteral("is_on");
const QString infoKey = QStringLiteral("info");

// The members are written through `json`: a QJsonObject for toJson(), or a
// WireCodec::CompactObject that writes the same object's text without building it.
template<typename Object, typename T>
void insertOptional(Object &json, const QString &key, const std::optional<T> &value)
{
    if (value)
        json.insert(key, *value);
}

template<typename Object, typename T>
void insertOptionalRecord(Object &json, const QString &key, const std::optional<T> &value)
{
    if (value)
        json.insert(key, value->toJson());
}

Message::Kind kindOf(const Message::Hello &)
{
    return Message::Kind::hello;
}
Message::Kind kindOf(const Message::TriggerAction &)
{
    return Message::Kind::triggerAction;
}
Message::Kind kindOf(const Message::UpdateDeck &)
{
    return Message::Kind::updateDeck;
}
Message::Kind kindOf(const Message::Test &)
{
    return Message::Kind::test;
}
Message::Kind kindOf(const Message::Challenge &)
{
    return Message::Kind::challenge;
}
Message::Kind kindOf(const HostInfo &)
{
    return Message::Kind::hostInfo;
}
Message::Kind kindOf(const Deck &)
{
    return Message::Kind::deck;
}
Message::Kind kindOf(const Message::StateUpdate &)
{
    return Message::Kind::stateUpdate;
}
Message::Kind kindOf(const Message::ActionResult &)
{
    return Message::Kind::actionResult;
}
Message::Kind kindOf(const Message::DeckUpdateResult &)
{
    return Message::Kind::deckUpdateResult;
}
Message::Kind kindOf(const HostCatalog &)
{
    return Message::Kind::catalog;
}
Message::Kind kindOf(const Message::TestResult &)
{
    return Message::Kind::testResult;
}
Message::Kind kindOf(const Message::Error &)
{
    return Message::Kind::error;
}
Message::Kind kindOf(const Message::RequestState &)
{
    return Message::Kind::requestState;
}
Message::Kind kindOf(const Message::RequestCatalog &)
{
    return Message::Kind::requestCatalog;
}

template<typename Object> void writeMembers(Object &json, const Message::Hello &hello)
{
    json.insert(clientNameKey, hello.clientName);
    json.insert(protocolVersionKey, hello.protocolVersion);
    insertOptional(json, authKey, hello.auth);
    insertOptional(json, editorAuthKey, hello.editorAuth);
}

template<typename Object> void writeMembers(Object &json, const Message::TriggerAction &trigger)
{
    json.insert(requestIDKey, trigger.requestID);
    json.insert(controlIDKey, trigger.controlID);
    insertOptional(json, desiredStateKey, trigger.desiredState);
}

template<typename Object> void writeMembers(Object &json, const Message::UpdateDeck &update)
{
    json.insert(requestIDKey, update.requestID);
    json.insert(deckKey, update.deck.toJson());
}

template<typename Object> void writeMembers(Object &json, const Message::Test &test)
{
    json.insert(requestIDKey, test.requestID);
    insertOptionalRecord(json, actionKey, test.action);
    insertOptionalRecord(json, statusCheckKey, test.statusCheck);
}

template<typename Object> void writeMembers(Object &json, const Message::Challenge &challenge)
{
    json.insert(nonceKey, challenge.nonce);
}

template<typename Object> void writeMembers(Object &json, const HostInfo &info)
{
    json.insert(infoKey, info.toJson());
}

template<typename Object> void writeMembers(Object &json, const Deck &deck)
{
    json.insert(deckKey, deck.toJson());
}

template<typename Object> void writeMembers(Object &json, const Message::StateUpdate &update)
{
    QJsonArray states;
    for (const ControlState &state : update.states)
        states.append(state.toJson());
    json.insert(statesKey, states);
}

template<typename Object> void writeMembers(Object &json, const Message::ActionResult &result)
{
    json.insert(requestIDKey, result.requestID);
    json.insert(controlIDKey, result.controlID);
    json.insert(okKey, result.ok);
    insertOptional(json, outputKey, result.output);
}

template<typename Object> void writeMembers(Object &json, const Message::DeckUpdateResult &result)
{
    json.insert(requestIDKey, result.requestID);
    json.insert(okKey, result.ok);
    json.insert(problemsKey, QJsonArray::fromStringList(result.problems));
}

template<typename Object> void writeMembers(Object &json, const HostCatalog &catalog)
{
    json.insert(catalogKey, catalog.toJson());
}

template<typename Object> void writeMembers(Object &json, const Message::TestResult &result)
{
    json.insert(requestIDKey, result.requestID);
    json.insert(okKey, result.ok);
    insertOptional(json, outputKey, result.output);
    insertOptional(json, isOnKey, result.isOn);
}

template<typename Object> void writeMembers(Object &json, const Message::Error &error)
{
    json.insert(codeKey, error.code);
    json.insert(messageKey, error.message);
}

template<typename Object> void writeMembers(Object &, const Message::RequestState &) {}
template<typename Object> void writeMembers(Object &, const Message::RequestCatalog &) {}

Message::Payload readPayload(Message::Kind kind, JsonReader &reader)
{
    switch (kind) {
    case Message::Kind::hello: {
        Message::Hello hello;
        hello.clientName = reader.requiredString(clientNameKey);
        hello.protocolVersion =
            reader.optionalInteger(protocolVersionKey).value_or(unversionedProtocol);
        hello.auth = reader.optionalString(authKey);
        hello.editorAuth = reader.optionalString(editorAuthKey);
        return hello;
    }
    case Message::Kind::triggerAction: {
        Message::TriggerAction trigger;
        const std::optional<QString> requestID = reader.optionalString(requestIDKey);
        trigger.controlID = reader.requiredString(controlIDKey);
        trigger.desiredState = reader.optionalBool(desiredStateKey);
        trigger.requestID = requestID ? *requestID : Message::newRequestID();
        return trigger;
    }
    case Message::Kind::requestState:
        return Message::RequestState{};
    case Message::Kind::updateDeck: {
        Message::UpdateDeck update;
        update.requestID = reader.requiredString(requestIDKey);
        update.deck = reader.requiredRecord<Deck>(deckKey);
        return update;
    }
    case Message::Kind::deckUpdateResult: {
        Message::DeckUpdateResult result;
        result.requestID = reader.requiredString(requestIDKey);
        result.ok = reader.requiredBool(okKey);
        result.problems = reader.optionalStringList(problemsKey).value_or(QStringList());
        return result;
    }
    case Message::Kind::requestCatalog:
        return Message::RequestCatalog{};
    case Message::Kind::catalog:
        return reader.requiredRecord<HostCatalog>(catalogKey);
    case Message::Kind::test: {
        Message::Test test;
        test.requestID = reader.requiredString(requestIDKey);
        test.action = reader.optionalRecord<Action>(actionKey);
        test.statusCheck = reader.optionalRecord<StatusCheck>(statusCheckKey);
        return test;
    }
    case Message::Kind::testResult: {
        Message::TestResult result;
        result.requestID = reader.requiredString(requestIDKey);
        result.ok = reader.requiredBool(okKey);
        result.output = reader.optionalString(outputKey);
        result.isOn = reader.optionalBool(isOnKey);
        return result;
    }
    case Message::Kind::hostInfo:
        return reader.requiredRecord<HostInfo>(infoKey);
    case Message::Kind::challenge:
        return Message::Challenge{reader.requiredString(nonceKey)};
    case Message::Kind::deck:
        return reader.requiredRecord<Deck>(deckKey);
    case Message::Kind::stateUpdate:
        return Message::StateUpdate{reader.requiredRecordList<ControlState>(statesKey)};
    case Message::Kind::actionResult: {
        Message::ActionResult result;
        result.requestID = reader.requiredString(requestIDKey);
        result.controlID = reader.requiredString(controlIDKey);
        result.ok = reader.requiredBool(okKey);
        result.output = reader.optionalString(outputKey);
        return result;
    }
    case Message::Kind::error: {
        Message::Error error;
        error.code = reader.requiredString(codeKey);
        error.message = reader.requiredString(messageKey);
        return error;
    }
    }
    Q_UNREACHABLE();
    return Message::RequestState{};
}

} // namespace

Message::Kind Message::kind() const
{
    return std::visit([](const auto &payload) { return kindOf(payload); }, m_payload);
}

QJsonObject Message::toJson() const
{
    QJsonObject json{{typeKey, rawValue(kind())}};
    std::visit([&](const auto &payload) { writeMembers(json, payload); }, m_payload);
    return json;
}

QString Message::newRequestID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

namespace WireCodec {

std::optional<QByteArray> encode(const Message &message, QString *error)
{
    // A message is written on every send; skipping the QJsonObject keeps that cheap.
    CompactObject json;
    json.insert(typeKey, rawValue(message.kind()));
    std::visit([&](const auto &payload) { writeMembers(json, payload); }, message.payload());
    if (std::optional<QByteArray> bytes = json.text())
        return bytes;
    // Only the object tells where the number that is not finite sits.
    return prettyEncoder(false).encode(message, error);
}

} // namespace WireCodec

std::optional<Message> Message::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    const Kind kind = reader.requiredEnum<Kind>(typeKey);
    if (!reader.ok())
        return std::nullopt;
    Payload payload = readPayload(kind, reader);
    if (!reader.ok())
        return std::nullopt;
    return Message(std::move(payload));
}

bool operator==(const Message &a, const Message &b)
{
    return a.m_payload == b.m_payload;
}

bool operator==(const Message::Hello &a, const Message::Hello &b)
{
    return sameText(a.clientName, b.clientName) && a.protocolVersion == b.protocolVersion &&
           sameText(a.auth, b.auth) && sameText(a.editorAuth, b.editorAuth);
}

bool operator==(const Message::TriggerAction &a, const Message::TriggerAction &b)
{
    return sameText(a.requestID, b.requestID) && sameText(a.controlID, b.controlID) &&
           a.desiredState == b.desiredState;
}

bool operator==(const Message::UpdateDeck &a, const Message::UpdateDeck &b)
{
    return sameText(a.requestID, b.requestID) && a.deck == b.deck;
}

bool operator==(const Message::Test &a, const Message::Test &b)
{
    return sameText(a.requestID, b.requestID) && a.action == b.action &&
           a.statusCheck == b.statusCheck;
}

bool operator==(const Message::Challenge &a, const Message::Challenge &b)
{
    return sameText(a.nonce, b.nonce);
}

bool operator==(const Message::StateUpdate &a, const Message::StateUpdate &b)
{
    return a.states == b.states;
}

bool operator==(const Message::ActionResult &a, const Message::ActionResult &b)
{
    return sameText(a.requestID, b.requestID) && sameText(a.controlID, b.controlID) &&
           a.ok == b.ok && sameText(a.output, b.output);
}

bool operator==(const Message::DeckUpdateResult &a, const Message::DeckUpdateResult &b)
{
    return sameText(a.requestID, b.requestID) && a.ok == b.ok && sameTexts(a.problems, b.problems);
}

bool operator==(const Message::TestResult &a, const Message::TestResult &b)
{
    return sameText(a.requestID, b.requestID) && a.ok == b.ok && sameText(a.output, b.output) &&
           a.isOn == b.isOn;
}

bool operator==(const Message::Error &a, const Message::Error &b)
{
    return sameText(a.code, b.code) && sameText(a.message, b.message);
}

} // namespace Quorvel

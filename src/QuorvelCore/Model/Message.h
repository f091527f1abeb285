#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/RawEnum.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace Quorvel {

// One message of the host link. On the wire it is one flat JSON object whose "type" names the
// case; the case's fields stand beside it. The host info, deck and catalog messages carry the
// record itself as their payload.
class Message {
public:
    // Remote to host: the answer to a challenge.
    struct Hello {
        QString clientName;
        qint64 protocolVersion = 0;
        // Proof of the pairing code over the challenge's nonce.
        std::optional<QString> auth;
        // Proof of the host's editor key over the same nonce.
        std::optional<QString> editorAuth;
        friend bool operator==(const Hello &a, const Hello &b);
    };
    // Remote to host: run one control's action; desiredState absent for a plain press.
    struct TriggerAction {
        QString requestID;
        QString controlID;
        std::optional<bool> desiredState;
        friend bool operator==(const TriggerAction &a, const TriggerAction &b);
    };
    // Remote to host: replace the host's deck.
    struct UpdateDeck {
        QString requestID;
        Quorvel::Deck deck;
        friend bool operator==(const UpdateDeck &a, const UpdateDeck &b);
    };
    // Remote to host: try an action or a status check without changing the deck.
    struct Test {
        QString requestID;
        std::optional<Quorvel::Action> action;
        std::optional<Quorvel::StatusCheck> statusCheck;
        friend bool operator==(const Test &a, const Test &b);
    };
    // Host to remote: the first message on a new connection.
    struct Challenge {
        QString nonce;
        friend bool operator==(const Challenge &a, const Challenge &b);
    };
    // Host to remote: the current states.
    struct StateUpdate {
        std::vector<ControlState> states;
        friend bool operator==(const StateUpdate &a, const StateUpdate &b);
    };
    struct ActionResult {
        QString requestID;
        QString controlID;
        bool ok = false;
        std::optional<QString> output;
        friend bool operator==(const ActionResult &a, const ActionResult &b);
    };
    struct DeckUpdateResult {
        QString requestID;
        bool ok = false;
        // The deck problems that refused the update.
        QStringList problems;
        friend bool operator==(const DeckUpdateResult &a, const DeckUpdateResult &b);
    };
    struct TestResult {
        QString requestID;
        bool ok = false;
        std::optional<QString> output;
        std::optional<bool> isOn;
        friend bool operator==(const TestResult &a, const TestResult &b);
    };
    // Host to remote: a refusal; code is free text, usually one of ErrorCode.
    struct Error {
        QString code;
        QString message;
        friend bool operator==(const Error &a, const Error &b);
    };
    struct RequestState {
        friend bool operator==(const RequestState &, const RequestState &) { return true; }
    };
    struct RequestCatalog {
        friend bool operator==(const RequestCatalog &, const RequestCatalog &) { return true; }
    };

    using Payload = std::variant<Hello, TriggerAction, UpdateDeck, Test, Challenge, HostInfo, Deck,
                                 StateUpdate, ActionResult, DeckUpdateResult, HostCatalog,
                                 TestResult, Error, RequestState, RequestCatalog>;

    // The "type" of each message, in the order of the table that maps a received type back.
    enum class Kind {
        hello,
        triggerAction,
        requestState,
        updateDeck,
        deckUpdateResult,
        requestCatalog,
        catalog,
        test,
        testResult,
        hostInfo,
        challenge,
        deck,
        stateUpdate,
        actionResult,
        error,
    };

    // The codes of an error message.
    struct ErrorCode {
        static inline const QString unauthorized = QStringLiteral("unauthorized");
        static inline const QString unknownControl = QStringLiteral("unknown_control");
        static inline const QString versionMismatch = QStringLiteral("version_mismatch");
        static inline const QString deckEditingDisabled = QStringLiteral("deck_editing_disabled");
    };

    // The version of this vocabulary; a hello without one is version 1.
    static constexpr qint64 protocolVersion = 2;

    // A fresh request id in the standard 36-character form with upper-case digits, as request
    // ids travel.
    static QString newRequestID();

    // A message is built from any of its payloads: Message(Message::Challenge{nonce}),
    // Message(deck), Message(hostInfo).
    template<typename T>
    requires std::is_constructible_v<Payload, T &&> Message(T &&payload)
        : m_payload(std::forward<T>(payload))
    {}

    Kind kind() const;
    const Payload &payload() const { return m_payload; }

    // The payload when it is a T, else null.
    template<typename T> const T *as() const { return std::get_if<T>(&m_payload); }

    // Non-finite numbers inside are kept as they are; WireCodec refuses to serialise them.
    QJsonObject toJson() const;
    // Fails as a whole: not an object, an unknown "type", a missing required member or one of
    // the wrong JSON type. Unknown members are ignored.
    static std::optional<Message> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const Message &a, const Message &b);

private:
    Payload m_payload;
};

template<> struct RawEnumTraits<Message::Kind> {
    static constexpr std::array<std::pair<Message::Kind, const char *>, 15> cases{{
        {Message::Kind::hello, "hello"},
        {Message::Kind::triggerAction, "trigger_action"},
        {Message::Kind::requestState, "request_state"},
        {Message::Kind::updateDeck, "update_deck"},
        {Message::Kind::deckUpdateResult, "deck_update_result"},
        {Message::Kind::requestCatalog, "request_catalog"},
        {Message::Kind::catalog, "catalog"},
        {Message::Kind::test, "test"},
        {Message::Kind::testResult, "test_result"},
        {Message::Kind::hostInfo, "host_info"},
        {Message::Kind::challenge, "challenge"},
        {Message::Kind::deck, "deck"},
        {Message::Kind::stateUpdate, "state_update"},
        {Message::Kind::actionResult, "action_result"},
        {Message::Kind::error, "error"},
    }};
};

} // namespace Quorvel

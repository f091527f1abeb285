#pragma once

#include "Knobwire/Control.h"
#include "Knobwire/Hello.h"
#include "Knobwire/Update.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <type_traits>
#include <variant>

namespace Knobwire {

// One line of the app-control protocol: a flat JSON object whose "type" names the case.
class Message {
public:
    // Provider: the offered controls ("controls").
    struct Controls {
        friend bool operator==(const Controls &, const Controls &) = default;
        QList<Control> controls{};
    };
    // Provider: the latest levels of a meter ("meter").
    struct Meter {
        friend bool operator==(const Meter &, const Meter &) = default;
        QString id{};
        QList<double> levels{};
    };
    // Consumer: set a level or move a step counter ("turn").
    struct Turn {
        friend bool operator==(const Turn &, const Turn &) = default;
        QString id{};
        std::optional<double> value{};
        std::optional<int> steps{};
    };
    // Consumer: press or release a control ("press").
    struct Press {
        friend bool operator==(const Press &, const Press &) = default;
        QString id{};
        bool down = true;
    };
    // Consumer: start or stop watching a meter ("meterSubscribe").
    struct MeterSubscribe {
        friend bool operator==(const MeterSubscribe &, const MeterSubscribe &) = default;
        QString id{};
        bool on = true;
    };
    // Either side: a refusal ("error").
    struct Error {
        friend bool operator==(const Error &, const Error &) = default;
        QString message{};
    };
    // Received only: a "type" this vocabulary does not define.
    struct Unknown {
        friend bool operator==(const Unknown &, const Unknown &) = default;
        QString type{};
    };

    // The cases, in declaration order; a hello and an update carry their own types.
    using Value =
        std::variant<Hello, Controls, Update, Meter, Turn, Press, MeterSubscribe, Error, Unknown>;

    // Why a received line is not a message. The description is sent back in an error line.
    class DecodeError {
    public:
        explicit DecodeError(QString description) : description(std::move(description)) {}
        friend bool operator==(const DecodeError &, const DecodeError &) = default;
        QString description{};
    };

    template<typename Case>
    requires std::is_constructible_v<Value, Case> Message(Case value) : m_value(std::move(value)) {}

    static Message hello(Hello hello) { return Message(std::move(hello)); }
    static Message controls(QList<Control> controls)
    {
        return Message(Controls{std::move(controls)});
    }
    static Message update(Update update) { return Message(std::move(update)); }
    static Message meter(QString id, QList<double> levels)
    {
        return Message(Meter{std::move(id), std::move(levels)});
    }
    static Message turn(QString id, std::optional<double> value, std::optional<int> steps)
    {
        return Message(Turn{std::move(id), value, steps});
    }
    static Message press(QString id, bool down) { return Message(Press{std::move(id), down}); }
    static Message meterSubscribe(QString id, bool on)
    {
        return Message(MeterSubscribe{std::move(id), on});
    }
    static Message error(QString message) { return Message(Error{std::move(message)}); }
    static Message unknown(QString type) { return Message(Unknown{std::move(type)}); }

    const Value &value() const { return m_value; }
    // The case's fields when the message is that case, else null.
    template<typename Case> const Case *as() const { return std::get_if<Case>(&m_value); }

    // The "type" text of this message.
    QString type() const;

    // The message as one JSON object, "type" included.
    QJsonObject jsonObject() const;
    // Compact JSON with sorted keys and unescaped slashes, then one line feed. Never fails: a
    // serialisation failure gives the line feed alone.
    QByteArray encodeLine() const;

    using Decoded = std::variant<Message, DecodeError>;
    // Reads one received line (without its line feed). Identifiers and texts are clipped,
    // numbers bounded; a number is never read as a Boolean nor a Boolean as a number.
    static Decoded decode(QByteArrayView line);

    friend bool operator==(const Message &, const Message &) = default;

private:
    Value m_value;
};

} // namespace Knobwire

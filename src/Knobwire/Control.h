#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace Knobwire {

struct Update;

// One control that an application offers: a switch, button, level, step counter or meter.
class Control {
public:
    // What a control is. Any text is a valid kind; only the five constants are understood.
    class Kind {
    public:
        explicit Kind(QString rawValue = {}) : rawValue(std::move(rawValue)) {}

        static const Kind toggle;
        static const Kind button;
        static const Kind level;
        static const Kind steps;
        static const Kind meter;

        // The defined kinds: level, steps, toggle, button, meter.
        static const QList<Kind> &known();

        bool isKnown() const;
        // Known and not a meter.
        bool isPressable() const;
        // A level or a step counter.
        bool isTurnable() const;

        friend bool operator==(const Kind &, const Kind &) = default;

        QString rawValue;
    };

    // An absent name becomes the id. Nothing is clipped or normalised here: whoever offers a list
    // sanitises it.
    Control(QString id, std::optional<QString> name, Kind kind, std::optional<double> value = {},
            std::optional<QString> text = {}, std::optional<bool> on = {},
            std::optional<QString> group = {}, std::optional<int> channels = {},
            bool readOnly = false);

    // A level on the grid of 0 to 1 in steps of 0.001; anything not finite or not positive is 0.
    static double normalizedValue(double value);

    // A level or step counter that is not read-only.
    bool canTurn() const;

    // Takes the fields that the update carries; the caller has matched the update's id already.
    void apply(const Update &update);

    // This control without its live state (value, text and on), as a consumer stores it.
    Control remembered() const;

    // Wire form inside a "controls" message: "readOnly" only when true.
    QJsonObject jsonObject() const;
    // Reads the wire form; none when "id" is not a non-empty text or "kind" is not a text.
    static std::optional<Control> fromJsonObject(const QJsonObject &object);

    // Stored form: "id", "name", "kind" and "readOnly" always, the optional fields when present.
    QJsonObject toJson() const;
    // Reads the stored form; none when "id" is not a text, or "name" or "kind" is of another type.
    static std::optional<Control> fromJson(const QJsonValue &json);

    friend bool operator==(const Control &, const Control &) = default;

    QString id;
    QString name;
    Kind kind;
    std::optional<double> value;
    std::optional<QString> text;
    std::optional<bool> on;
    std::optional<QString> group;
    std::optional<int> channels;
    bool readOnly = false;
};

size_t qHash(const Control::Kind &kind, size_t seed = 0) noexcept;

} // namespace Knobwire

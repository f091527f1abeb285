#include "Knobwire/Control.h"

#include "Knobwire/Clip.h"
#include "Knobwire/JsonMembers.h"
#include "Knobwire/Limits.h"
#include "Knobwire/Update.h"

#include <QHash>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Levels sit on a grid of thousandths: finer steps mean nothing to a person and would only make
// equal levels compare unequal.
constexpr double valueSteps = 1000.0;

// A stored channel count that is a whole number within an integer, else none.
std::optional<int> storedInteger(const QJsonValue &value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::trunc(number) ||
        number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// A stored text member may be absent or null, but a member of another type fails the record.
enum class Presence { missing, text, wrongType };

Presence storedText(const QJsonObject &object, QLatin1StringView name, QString &text)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull()) {
        return Presence::missing;
    }
    if (!value.isString()) {
        return Presence::wrongType;
    }
    text = value.toString();
    return Presence::text;
}

} // namespace

const Control::Kind Control::Kind::toggle{u"toggle"_s};
const Control::Kind Control::Kind::button{u"button"_s};
const Control::Kind Control::Kind::level{u"level"_s};
const Control::Kind Control::Kind::steps{u"steps"_s};
const Control::Kind Control::Kind::meter{u"meter"_s};

const QList<Control::Kind> &Control::Kind::known()
{
    static const QList<Kind> kinds{Kind(u"level"_s), Kind(u"steps"_s), Kind(u"toggle"_s),
                                   Kind(u"button"_s), Kind(u"meter"_s)};
    return kinds;
}

bool Control::Kind::isKnown() const
{
    return known().contains(*this);
}

bool Control::Kind::isPressable() const
{
    return isKnown() && rawValue != u"meter"_s;
}

bool Control::Kind::isTurnable() const
{
    return rawValue == u"level"_s || rawValue == u"steps"_s;
}

size_t qHash(const Control::Kind &kind, size_t seed) noexcept
{
    return qHash(kind.rawValue, seed);
}

Control::Control(QString id, std::optional<QString> name, Kind kind, std::optional<double> value,
                 std::optional<QString> text, std::optional<bool> on, std::optional<QString> group,
                 std::optional<int> channels, bool readOnly)
    : id(id), name(name.value_or(id)), kind(std::move(kind)), value(value), text(std::move(text)),
      on(on), group(std::move(group)), channels(channels), readOnly(readOnly)
{}

double Control::normalizedValue(double value)
{
    if (!std::isfinite(value) || value <= 0) {
        return 0;
    }
    return std::round(std::min(value, 1.0) * valueSteps) / valueSteps;
}

bool Control::canTurn() const
{
    return kind.isTurnable() && !readOnly;
}

void Control::apply(const Update &update)
{
    if (update.value) {
        value = normalizedValue(*update.value);
    }
    if (update.text) {
        if (*update.text) {
            text = clip(**update.text, Limits::maxText);
        } else {
            text.reset();
        }
    }
    if (update.on) {
        on = update.on;
    }
    if (update.name) {
        const QString clipped = clip(*update.name, Limits::maxName);
        if (!clipped.isEmpty()) {
            name = clipped;
        }
    }
}

Control Control::remembered() const
{
    Control copy = *this;
    copy.value.reset();
    copy.text.reset();
    copy.on.reset();
    return copy;
}

QJsonObject Control::jsonObject() const
{
    QJsonObject object{{u"id"_s, id}, {u"name"_s, name}, {u"kind"_s, kind.rawValue}};
    if (value) {
        object.insert(u"value"_s, jsonNumber(*value));
    }
    if (text) {
        object.insert(u"text"_s, *text);
    }
    if (on) {
        object.insert(u"on"_s, *on);
    }
    if (group) {
        object.insert(u"group"_s, *group);
    }
    if (channels) {
        object.insert(u"channels"_s, *channels);
    }
    if (readOnly) {
        object.insert(u"readOnly"_s, true);
    }
    return object;
}

std::optional<Control> Control::fromJsonObject(const QJsonObject &object)
{
    const std::optional<QString> id = string("id"_L1, object);
    const std::optional<QString> kind = string("kind"_L1, object);
    if (!id || id->isEmpty() || !kind) {
        return std::nullopt;
    }
    return Control(*id, string("name"_L1, object), Kind(*kind), number("value"_L1, object),
                   string("text"_L1, object), boolean("on"_L1, object), string("group"_L1, object),
                   roundedInteger(number("channels"_L1, object)),
                   boolean("readOnly"_L1, object).value_or(false));
}

QJsonObject Control::toJson() const
{
    QJsonObject object = jsonObject();
    object.insert(u"readOnly"_s, readOnly);
    return object;
}

std::optional<Control> Control::fromJson(const QJsonValue &json)
{
    if (!json.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = json.toObject();
    const std::optional<QString> id = string("id"_L1, object);
    if (!id) {
        return std::nullopt;
    }
    QString name;
    const Presence namePresence = storedText(object, "name"_L1, name);
    if (namePresence == Presence::wrongType) {
        return std::nullopt;
    }
    QString kind = Kind::button.rawValue;
    if (storedText(object, "kind"_L1, kind) == Presence::wrongType) {
        return std::nullopt;
    }
    return Control(*id, namePresence == Presence::text ? std::optional(name) : std::nullopt,
                   Kind(kind), number("value"_L1, object), string("text"_L1, object),
                   boolean("on"_L1, object), string("group"_L1, object),
                   storedInteger(object.value("channels"_L1)),
                   boolean("readOnly"_L1, object).value_or(false));
}

} // namespace Knobwire

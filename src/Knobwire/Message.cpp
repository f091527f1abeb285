#include "Knobwire/Message.h"

#include "Knobwire/Clip.h"
#include "Knobwire/JsonMembers.h"
#include "Knobwire/Limits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// A turn moves a step counter by at most this many steps either way.
constexpr int maxSteps = 10000;
// Meter levels are kept to a tenth of a decibel.
constexpr double meterSteps = 10.0;
// Only the first levels of a meter are read: a meter shows one or two channels.
constexpr qsizetype maxMeterLevels = 2;

const QString typeError = u"Each line must be a JSON object with a \"type\""_s;

QString typeText(const Message::Value &value)
{
    struct Visitor {
        QString operator()(const Hello &) const { return u"hello"_s; }
        QString operator()(const Message::Controls &) const { return u"controls"_s; }
        QString operator()(const Update &) const { return u"update"_s; }
        QString operator()(const Message::Meter &) const { return u"meter"_s; }
        QString operator()(const Message::Turn &) const { return u"turn"_s; }
        QString operator()(const Message::Press &) const { return u"press"_s; }
        QString operator()(const Message::MeterSubscribe &) const { return u"meterSubscribe"_s; }
        QString operator()(const Message::Error &) const { return u"error"_s; }
        QString operator()(const Message::Unknown &unknown) const { return unknown.type; }
    };
    return std::visit(Visitor{}, value);
}

// The members of each case beside "type".
struct MemberWriter {
    QJsonObject &object;

    void operator()(const Hello &hello) const
    {
        object.insert(u"app"_s, hello.app);
        object.insert(u"name"_s, hello.name);
        if (hello.version) {
            object.insert(u"version"_s, *hello.version);
        }
        if (hello.protocolVersion) {
            object.insert(u"protocol"_s, *hello.protocolVersion);
        }
        if (hello.key) {
            object.insert(u"key"_s, *hello.key);
        }
    }
    void operator()(const Message::Controls &controls) const
    {
        QJsonArray array;
        for (const Control &control : controls.controls) {
            array.append(control.jsonObject());
        }
        object.insert(u"controls"_s, array);
    }
    void operator()(const Update &update) const
    {
        object.insert(u"id"_s, update.id);
        if (update.value) {
            object.insert(u"value"_s, jsonNumber(*update.value));
        }
        if (update.text) {
            object.insert(u"text"_s,
                          *update.text ? QJsonValue(**update.text) : QJsonValue(QJsonValue::Null));
        }
        if (update.on) {
            object.insert(u"on"_s, *update.on);
        }
        if (update.name) {
            object.insert(u"name"_s, *update.name);
        }
    }
    void operator()(const Message::Meter &meter) const
    {
        QJsonArray levels;
        for (double level : meter.levels) {
            levels.append(jsonNumber(level));
        }
        object.insert(u"id"_s, meter.id);
        object.insert(u"levels"_s, levels);
    }
    void operator()(const Message::Turn &turn) const
    {
        object.insert(u"id"_s, turn.id);
        if (turn.value) {
            object.insert(u"value"_s, jsonNumber(*turn.value));
        }
        if (turn.steps) {
            object.insert(u"steps"_s, *turn.steps);
        }
    }
    void operator()(const Message::Press &press) const
    {
        object.insert(u"id"_s, press.id);
        object.insert(u"down"_s, press.down);
    }
    void operator()(const Message::MeterSubscribe &subscribe) const
    {
        object.insert(u"id"_s, subscribe.id);
        object.insert(u"on"_s, subscribe.on);
    }
    void operator()(const Message::Error &error) const
    {
        object.insert(u"message"_s, error.message);
    }
    void operator()(const Message::Unknown &) const {}
};

// The clipped "id" of a request, or none when it is missing, not a text or empty once clipped.
std::optional<QString> requireID(const QJsonObject &object)
{
    const std::optional<QString> id = string("id"_L1, object);
    if (!id) {
        return std::nullopt;
    }
    QString clipped = clip(*id, Limits::maxName);
    if (clipped.isEmpty()) {
        return std::nullopt;
    }
    return clipped;
}

Message::DecodeError missingID(const QString &type)
{
    return Message::DecodeError(type + u" needs an \"id\""_s);
}

Message::Decoded decodeHello(const QJsonObject &object)
{
    const Message::DecodeError appError(u"hello needs \"app\": your bundle identifier"_s);
    const std::optional<QString> sentApp = string("app"_L1, object);
    if (!sentApp) {
        return appError;
    }
    Hello hello;
    // Dropped characters first: trimming first would leave the spaces they enclosed, and an app
    // of spaces alone would be taken here but refused once sent on.
    hello.app = clip(*sentApp, Limits::maxName).trimmed();
    if (hello.app.isEmpty()) {
        return appError;
    }
    const QString name = clip(string("name"_L1, object).value_or(QString()), Limits::maxName);
    hello.name = name.isEmpty() ? hello.app : name;
    if (const std::optional<QString> version = string("version"_L1, object)) {
        hello.version = clip(*version, Limits::maxName);
    }
    hello.protocolVersion = roundedInteger(number("protocol"_L1, object));
    if (const std::optional<QString> key = string("key"_L1, object)) {
        hello.key = clip(*key, Limits::maxName);
    }
    return Message(hello);
}

Message::Decoded decodeControls(const QJsonObject &object)
{
    const QJsonValue array = object.value("controls"_L1);
    if (!array.isArray()) {
        return Message::DecodeError(u"controls needs a \"controls\" array"_s);
    }
    QList<Control> controls;
    for (const QJsonValue element : array.toArray()) {
        if (!element.isObject()) {
            continue;
        }
        if (std::optional<Control> control = Control::fromJsonObject(element.toObject())) {
            controls.append(std::move(*control));
        }
    }
    return Message::controls(std::move(controls));
}

Message::Decoded decodeUpdate(const QJsonObject &object, const QString &type)
{
    const std::optional<QString> id = requireID(object);
    if (!id) {
        return missingID(type);
    }
    Update update;
    update.id = *id;
    update.value = number("value"_L1, object);
    if (object.contains("text"_L1)) {
        update.text = string("text"_L1, object);
    }
    update.on = boolean("on"_L1, object);
    update.name = string("name"_L1, object);
    return Message(update);
}

Message::Decoded decodeMeter(const QJsonObject &object, const QString &type)
{
    const Message::DecodeError levelsError(u"meter needs \"levels\""_s);
    const QJsonValue array = object.value("levels"_L1);
    if (!array.isArray()) {
        return levelsError;
    }
    QList<double> levels;
    const QJsonArray received = array.toArray();
    for (qsizetype i = 0; i < std::min(received.size(), maxMeterLevels); ++i) {
        const QJsonValue element = received.at(i);
        if (!element.isDouble()) {
            continue;
        }
        const double level = element.toDouble();
        if (!std::isfinite(level)) {
            levels.append(Limits::meterRange.lower);
            continue;
        }
        levels.append(std::clamp(std::round(level * meterSteps) / meterSteps,
                                 Limits::meterRange.lower, Limits::meterRange.upper));
    }
    if (levels.isEmpty()) {
        return levelsError;
    }
    const std::optional<QString> id = requireID(object);
    if (!id) {
        return missingID(type);
    }
    return Message::meter(*id, levels);
}

Message::Decoded decodeTurn(const QJsonObject &object, const QString &type)
{
    std::optional<int> steps = roundedInteger(number("steps"_L1, object));
    if (steps) {
        steps = std::clamp(*steps, -maxSteps, maxSteps);
    }
    std::optional<double> value = number("value"_L1, object);
    if (value && !std::isfinite(*value)) {
        value.reset();
    }
    if (!steps && !value) {
        return Message::DecodeError(u"turn needs \"value\" or \"steps\""_s);
    }
    const std::optional<QString> id = requireID(object);
    if (!id) {
        return missingID(type);
    }
    return Message::turn(*id, value, steps);
}

// Whether a JSON string in the line holds a raw control character (a byte below 0x20). JSON
// allows them only escaped and strict readers refuse the line; Qt's reader takes them, so they
// are looked for here, and such a line is refused like any other text that is not JSON.
bool hasRawControlInString(QByteArrayView line)
{
    bool inString = false;
    bool escaped = false;
    for (const char byte : line) {
        const auto unit = static_cast<unsigned char>(byte);
        if (!inString) {
            inString = unit == '"';
        } else if (escaped) {
            escaped = false;
        } else if (unit == '\\') {
            escaped = true;
        } else if (unit == '"') {
            inString = false;
        } else if (unit < 0x20) {
            return true;
        }
    }
    return false;
}

} // namespace

QString Message::type() const
{
    return typeText(m_value);
}

QJsonObject Message::jsonObject() const
{
    QJsonObject object;
    std::visit(MemberWriter{object}, m_value);
    object.insert(u"type"_s, type());
    return object;
}

QByteArray Message::encodeLine() const
{
    QByteArray line = QJsonDocument(jsonObject()).toJson(QJsonDocument::Compact);
    line.append('\n');
    return line;
}

Message::Decoded Message::decode(QByteArrayView line)
{
    if (hasRawControlInString(line)) {
        return DecodeError(typeError);
    }
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(line.data(), line.size()), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return DecodeError(typeError);
    }
    const QJsonObject object = document.object();
    const std::optional<QString> type = string("type"_L1, object);
    if (!type) {
        return DecodeError(typeError);
    }
    if (*type == "hello"_L1) {
        return decodeHello(object);
    }
    if (*type == "controls"_L1) {
        return decodeControls(object);
    }
    if (*type == "update"_L1) {
        return decodeUpdate(object, *type);
    }
    if (*type == "meter"_L1) {
        return decodeMeter(object, *type);
    }
    if (*type == "turn"_L1) {
        return decodeTurn(object, *type);
    }
    if (*type == "press"_L1 || *type == "meterSubscribe"_L1) {
        const std::optional<QString> id = requireID(object);
        if (!id) {
            return missingID(*type);
        }
        if (*type == "press"_L1) {
            return press(*id, boolean("down"_L1, object).value_or(true));
        }
        return meterSubscribe(*id, boolean("on"_L1, object).value_or(true));
    }
    if (*type == "error"_L1) {
        return error(clip(string("message"_L1, object).value_or(QString()), Limits::maxText));
    }
    // Kept as sent: clipping could turn it into a known type. Receivers ignore it anyway.
    return unknown(*type);
}

} // namespace Knobwire

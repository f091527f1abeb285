#include "Knobwire/KnobwireConsumerProvider.h"

#include "Knobwire/Sanitize.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Knobwire {

std::optional<Control> KnobwireConsumerProvider::control(const QString &id) const
{
    const auto found = std::find_if(controls.cbegin(), controls.cend(),
                                    [&id](const Control &control) { return control.id == id; });
    if (found == controls.cend()) {
        return std::nullopt;
    }
    return *found;
}

KnobwireConsumerProvider KnobwireConsumerProvider::remembered() const
{
    KnobwireConsumerProvider copy = *this;
    copy.isConnected = false;
    for (Control &control : copy.controls) {
        control = control.remembered();
    }
    return copy;
}

QJsonObject KnobwireConsumerProvider::toJson() const
{
    QJsonArray storedControls;
    for (const Control &control : controls) {
        storedControls.append(control.toJson());
    }
    QJsonObject object{{u"app"_s, app},
                       {u"name"_s, name},
                       {u"controls"_s, storedControls},
                       {u"isConnected"_s, isConnected}};
    if (version) {
        object.insert(u"version"_s, *version);
    }
    return object;
}

std::optional<KnobwireConsumerProvider> KnobwireConsumerProvider::fromJson(const QJsonValue &json)
{
    if (!json.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = json.toObject();
    const QJsonValue app = object.value(u"app"_s);
    const QJsonValue name = object.value(u"name"_s);
    const QJsonValue version = object.value(u"version"_s);
    const QJsonValue controls = object.value(u"controls"_s);
    const QJsonValue isConnected = object.value(u"isConnected"_s);
    const bool versionReadable = version.isUndefined() || version.isNull() || version.isString();
    if (!app.isString() || !name.isString() || !versionReadable || !controls.isArray() ||
        !isConnected.isBool()) {
        return std::nullopt;
    }
    KnobwireConsumerProvider entry{.app = app.toString(),
                                   .name = name.toString(),
                                   .version = std::nullopt,
                                   .controls = {},
                                   .isConnected = isConnected.toBool()};
    if (version.isString()) {
        entry.version = version.toString();
    }
    for (const QJsonValue &stored : controls.toArray()) {
        const std::optional<Control> control = Control::fromJson(stored);
        if (!control) {
            return std::nullopt;
        }
        entry.controls.append(*control);
    }
    return entry;
}

QList<Control> knownControls(const QList<Control> &controls)
{
    QList<Control> known;
    std::copy_if(controls.cbegin(), controls.cend(), std::back_inserter(known),
                 [](const Control &control) { return control.kind.isKnown(); });
    return sanitize(known);
}

} // namespace Knobwire

#pragma once

#include "Knobwire/Control.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

namespace Knobwire {

// One provider application as a consumer knows it: connected with live values, or remembered
// (not connected, no values) so that its user can keep showing and storing it.
struct KnobwireConsumerProvider {
    // The first control with exactly this id.
    std::optional<Control> control(const QString &id) const;
    // Not connected, every control without its live state.
    KnobwireConsumerProvider remembered() const;

    // Stored form: "app", "name", "controls" (stored controls) and "isConnected" always,
    // "version" when present.
    QJsonObject toJson() const;
    // Reads the stored form; none when a required member is missing or any member, or any
    // control, is of the wrong type.
    static std::optional<KnobwireConsumerProvider> fromJson(const QJsonValue &json);

    friend bool operator==(const KnobwireConsumerProvider &,
                           const KnobwireConsumerProvider &) = default;

    // The provider's application identifier; also the entry's identity.
    QString app;
    QString name;
    std::optional<QString> version;
    QList<Control> controls;
    bool isConnected = false;
};

// A provider's controls as a consumer keeps them: only the kinds it understands, sanitised.
QList<Control> knownControls(const QList<Control> &controls);

} // namespace Knobwire

Q_DECLARE_METATYPE(Knobwire::KnobwireConsumerProvider)

#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quorvel {

// The live state of one action as a host reports it; its identity is its id.
struct ControlState {
    // The Control::id this state belongs to.
    QString id;
    // Whether a switch is on; absent when unknown or not applicable.
    std::optional<bool> isOn;
    // A short text to show with the state (a readout's value or a message).
    std::optional<QString> detail;
    bool isBusy = false;
    // When the state was taken; travels with whole seconds.
    QDateTime checkedAt;

    // An invalid checkedAt has no wire form: it is kept as a non-finite number, which WireCodec
    // refuses to serialise.
    QJsonObject toJson() const;
    static std::optional<ControlState> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const ControlState &a, const ControlState &b);
};

} // namespace Quorvel

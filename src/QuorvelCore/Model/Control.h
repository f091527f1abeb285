#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/ControlType.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quorvel {

// One action of a deck; its identity is its id.
struct Control {
    QString id;
    QString title;
    ControlType type = ControlType::button;
    // A symbol name, for example "record.circle".
    std::optional<QString> icon;
    // What a button runs.
    std::optional<Action> action;
    // What a switch runs to turn on and off.
    std::optional<Action> onAction;
    std::optional<Action> offAction;
    // How the state of a switch or the value of a readout is found.
    std::optional<StatusCheck> statusCheck;

    QJsonObject toJson() const;
    static std::optional<Control> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const Control &a, const Control &b);
};

} // namespace Quorvel

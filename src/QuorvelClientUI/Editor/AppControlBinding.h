#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlType.h"

#include <QString>

#include <optional>

namespace Quorvel {

// One control that another application offers, named by that application's identifier and the
// control's item id.
struct AppControlBinding {
    QString app;
    QString control;

    friend bool operator==(const AppControlBinding &, const AppControlBinding &) = default;
};

// Rebuilds control as the given type of action for one offered control: a button presses it, a
// switch turns it on and off and shows its state, a readout shows it. The id, title and icon
// stay; every other part, with its time-out or interval, is replaced.
void useAppControl(Control &control, const QString &app, const QString &item, ControlType type);

// The offered control every part of control uses, when every present action and the status
// check are app_control parts naming the same application and the same item; otherwise none.
std::optional<AppControlBinding> appControlBinding(const Control &control);

} // namespace Quorvel

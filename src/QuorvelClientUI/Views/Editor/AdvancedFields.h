#pragma once

#include "QuorvelCore/Model/Control.h"

#include <optional>

namespace Quorvel {

// The settings of an action that its sentence does not show: how long the host waits for a run
// and how often it checks the state.
class AdvancedFields {
public:
    // The time-out of the first of the action, on and off actions that has one.
    static std::optional<double> giveUpTime(const Control &control);
    // Sets the time-out of every action the control has; none, 0 or less removes them all.
    static void setGiveUpTime(Control &control, std::optional<double> seconds);
    static std::optional<double> checkInterval(const Control &control);
    // Stored as entered; a control without a status check is left alone.
    static void setCheckInterval(Control &control, std::optional<double> seconds);
};

} // namespace Quorvel

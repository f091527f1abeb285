#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/Control.h"

#include <optional>

namespace Quorvel {

// What one press of a control runs, and the state it should leave the control in.
struct RunChoice {
    // None: the control has nothing to run (a readout, or an empty slot).
    std::optional<Action> action;
    // On or off for a switch; none for a button or a readout.
    std::optional<bool> wanted;

    friend bool operator==(const RunChoice &, const RunChoice &) = default;

    // A button runs its action whatever state is asked for. A switch goes to the state asked
    // for, else to the opposite of its fresh state, where an unknown state counts as off. A
    // readout runs nothing.
    static RunChoice choose(const Control &control, std::optional<bool> desiredState,
                            std::optional<bool> freshIsOn);
};

} // namespace Quorvel

#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// What a status check found: an on/off state (absent when the check tells none) and a text to
// show next to the action.
struct StatusOutcome {
    std::optional<bool> isOn;
    std::optional<QString> detail;

    friend bool operator==(const StatusOutcome &, const StatusOutcome &) = default;
};

} // namespace Quorvel

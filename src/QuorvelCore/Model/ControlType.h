#pragma once

#include "QuorvelCore/Model/RawEnum.h"

namespace Quorvel {

// What kind of action a Control is.
enum class ControlType {
    button,
    toggle,
    metric,
};

template<> struct RawEnumTraits<ControlType> {
    static constexpr std::array<std::pair<ControlType, const char *>, 3> cases{{
        {ControlType::button, "button"},
        {ControlType::toggle, "toggle"},
        {ControlType::metric, "metric"},
    }};
};

} // namespace Quorvel

#include "QuorvelHostKit/Service/RunChoice.h"

namespace Quorvel {

RunChoice RunChoice::choose(const Control &control, std::optional<bool> desiredState,
                            std::optional<bool> freshIsOn)
{
    switch (control.type) {
    case ControlType::button:
        return RunChoice{control.action, std::nullopt};
    case ControlType::toggle: {
        const bool wanted = desiredState.value_or(!freshIsOn.value_or(false));
        return RunChoice{wanted ? control.onAction : control.offAction, wanted};
    }
    case ControlType::metric:
        break;
    }
    return RunChoice{std::nullopt, std::nullopt};
}

} // namespace Quorvel

#include "QuorvelClientUI/Views/Editor/AdvancedFields.h"

namespace Quorvel {

std::optional<double> AdvancedFields::giveUpTime(const Control &control)
{
    for (const std::optional<Action> *action :
         {&control.action, &control.onAction, &control.offAction}) {
        if (*action && (*action)->timeout)
            return (*action)->timeout;
    }
    return std::nullopt;
}

void AdvancedFields::setGiveUpTime(Control &control, std::optional<double> seconds)
{
    const std::optional<double> stored = seconds && *seconds > 0 ? seconds : std::nullopt;
    for (std::optional<Action> *action : {&control.action, &control.onAction, &control.offAction}) {
        if (*action)
            (*action)->timeout = stored;
    }
}

std::optional<double> AdvancedFields::checkInterval(const Control &control)
{
    return control.statusCheck ? control.statusCheck->interval : std::nullopt;
}

void AdvancedFields::setCheckInterval(Control &control, std::optional<double> seconds)
{
    if (control.statusCheck)
        control.statusCheck->interval = seconds;
}

} // namespace Quorvel

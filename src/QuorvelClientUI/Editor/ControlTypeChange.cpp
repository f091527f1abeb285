#include "QuorvelClientUI/Editor/ControlTypeChange.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"

namespace Quorvel {

namespace {

Action emptyAction(Action::Kind kind)
{
    Action action;
    action.type = kind;
    return action;
}

void becomeButton(Control &control)
{
    if (!control.action)
        control.action = control.onAction ? *control.onAction : emptyAction(Action::Kind::shortcut);
}

void becomeSwitch(Control &control)
{
    if (!control.onAction)
        control.onAction = control.action ? *control.action : emptyAction(Action::Kind::app);
    const QString app = openCommandApp(*control.onAction).value_or(QString());
    if (!control.offAction) {
        control.offAction =
            app.isEmpty() ? emptyAction(Action::Kind::shortcut) : quitAppScript(app, std::nullopt);
    }
    if (!control.statusCheck || control.statusCheck->type == StatusCheck::Kind::shellOutput) {
        control.statusCheck =
            StatusCheck{StatusCheck::Kind::processRunning, app, std::nullopt, std::nullopt};
    }
}

// A readout shows a command's output or another application's value; an on/off check says
// nothing worth reading, so it gives way to a default reading.
void becomeReadout(Control &control)
{
    const bool readable =
        control.statusCheck && (control.statusCheck->type == StatusCheck::Kind::shellOutput ||
                                control.statusCheck->type == StatusCheck::Kind::appControl);
    if (readable)
        return;
    const ValuePreset freeDisk = ValuePreset::freeDisk();
    control.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, freeDisk.command(),
                                      freeDisk.interval(), std::nullopt};
}

} // namespace

void changingType(Control &control, ControlType type)
{
    if (const auto binding = appControlBinding(control)) {
        useAppControl(control, binding->app, binding->control, type);
        return;
    }
    control.type = type;
    switch (type) {
    case ControlType::button:
        becomeButton(control);
        break;
    case ControlType::toggle:
        becomeSwitch(control);
        break;
    case ControlType::metric:
        becomeReadout(control);
        break;
    }
}

} // namespace Quorvel

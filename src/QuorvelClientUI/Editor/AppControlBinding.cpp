#include "QuorvelClientUI/Editor/AppControlBinding.h"

#include <QList>

namespace Quorvel {

namespace {

struct Part {
    QString app;
    std::optional<QString> control;
};

StatusCheck appControlCheck(const QString &app, const QString &item)
{
    return StatusCheck{StatusCheck::Kind::appControl, app, std::nullopt, item};
}

} // namespace

void useAppControl(Control &control, const QString &app, const QString &item, ControlType type)
{
    control.type = type;
    control.action.reset();
    control.onAction.reset();
    control.offAction.reset();
    control.statusCheck.reset();
    switch (type) {
    case ControlType::button:
        control.action = Action::appControl(app, item, AppControlValue::press());
        break;
    case ControlType::toggle:
        control.onAction = Action::appControl(app, item, AppControlValue::on());
        control.offAction = Action::appControl(app, item, AppControlValue::off());
        control.statusCheck = appControlCheck(app, item);
        break;
    case ControlType::metric:
        control.statusCheck = appControlCheck(app, item);
        break;
    }
}

std::optional<AppControlBinding> appControlBinding(const Control &control)
{
    QList<Part> parts;
    for (const auto *action : {&control.action, &control.onAction, &control.offAction}) {
        if (!*action)
            continue;
        const bool isAppControl = (*action)->type == Action::Kind::appControl;
        parts.append({isAppControl ? (*action)->target : QString(), (*action)->control});
    }
    if (control.statusCheck) {
        const bool isAppControl = control.statusCheck->type == StatusCheck::Kind::appControl;
        parts.append(
            {isAppControl ? control.statusCheck->target : QString(), control.statusCheck->control});
    }
    if (parts.isEmpty())
        return std::nullopt;
    const Part &first = parts.constFirst();
    if (first.app.isEmpty() || !first.control)
        return std::nullopt;
    for (const Part &part : parts) {
        if (part.app != first.app || part.control != first.control)
            return std::nullopt;
    }
    return AppControlBinding{first.app, *first.control};
}

} // namespace Quorvel

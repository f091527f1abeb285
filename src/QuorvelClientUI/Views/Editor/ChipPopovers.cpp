#include "QuorvelClientUI/Views/Editor/ChipPopovers.h"

#include "QuorvelClientUI/Editor/DeckEditorClient.h"

#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AppControlPopover.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/IntervalPopover.h"
#include "QuorvelClientUI/Views/Editor/MetricSourcePopover.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/TypePopover.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>

namespace Quorvel {

namespace {

using Part = ActionSentence::Part;

// Widths that fit each popover's widest part: the app-control pickers and their padding.
constexpr int appControlWidth = 520;
constexpr int pickerPopoverWidth = 480;

QString tr(const char *text)
{
    return QCoreApplication::translate("ChipPopovers", text);
}

EditBinding<Action> actionSlot(const EditBinding<Control> &control,
                               std::optional<Action> Control::*slot, Action fallback)
{
    return {[control, slot, fallback] { return (control.get().*slot).value_or(fallback); },
            [control, slot](const Action &action) {
                Control next = control.get();
                next.*slot = action;
                control.set(next);
            }};
}

EditBinding<StatusCheck> checkSlot(const EditBinding<Control> &control)
{
    return {[control] {
                return control.get().statusCheck.value_or(ActionSentence::defaultStatusCheck());
            },
            [control](const StatusCheck &check) {
                Control next = control.get();
                next.statusCheck = check;
                control.set(next);
            }};
}

} // namespace

int ChipPopovers::width(Part part)
{
    switch (part) {
    case Part::appControl:
        return appControlWidth;
    case Part::action:
    case Part::onAction:
    case Part::offAction:
    case Part::statusCheck:
    case Part::source:
        return pickerPopoverWidth;
    case Part::type:
    case Part::interval:
        break;
    }
    return Chip::popoverWidth;
}

void ChipPopovers::attach(Chip *chip, Part part, const EditBinding<Control> &binding,
                          DeckEditorClient &client)
{
    chip->setPopoverWidth(width(part));
    // The client outlives the editor's cards and chips: the queued write still lands when the
    // chip that opened the popover is gone by then.
    chip->setContent([&client, part, binding]() -> QWidget * {
        auto pending = std::make_shared<std::optional<Control>>();
        const EditBinding<Control> deferred{
            [pending, binding] { return pending->has_value() ? **pending : binding.get(); },
            [pending, binding, &client](const Control &control) {
                const bool queued = pending->has_value();
                *pending = control;
                if (queued)
                    return;
                QTimer::singleShot(0, &client, [pending, binding] {
                    if (!pending->has_value())
                        return;
                    const Control written = **pending;
                    pending->reset();
                    binding.set(written);
                });
            }};
        return make(part, deferred, client);
    });
}

QWidget *ChipPopovers::make(Part part, const EditBinding<Control> &control,
                            DeckEditorClient &client)
{
    switch (part) {
    case Part::type:
        return new TypePopover(control);
    case Part::appControl:
        return new AppControlPopover(control, client);
    case Part::action:
        return new ActionPopover(
            tr("Pressing it…"),
            actionSlot(control, &Control::action, ActionSentence::defaultAction()), client);
    case Part::onAction:
        return new ActionPopover(
            tr("Turning it on…"),
            actionSlot(control, &Control::onAction, ActionSentence::defaultOnAction()), client);
    case Part::offAction:
        return new ActionPopover(
            tr("Turning it off…"),
            actionSlot(control, &Control::offAction, ActionSentence::defaultOffAction()), client);
    case Part::statusCheck:
        return new StatusPopover(checkSlot(control), client);
    case Part::source:
        return new MetricSourcePopover(checkSlot(control), client);
    case Part::interval: {
        const EditBinding<StatusCheck> check = checkSlot(control);
        return new IntervalPopover({[check] { return check.get().interval; },
                                    [check](const std::optional<double> &interval) {
                                        StatusCheck next = check.get();
                                        next.interval = interval;
                                        check.set(next);
                                    }});
    }
    }
    return nullptr;
}

} // namespace Quorvel

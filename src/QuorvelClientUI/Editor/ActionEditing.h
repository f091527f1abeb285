#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QString>

#include <array>
#include <optional>

namespace Quorvel {

// How the action popover reads and rewrites one action: as one of seven user-level choices
// (open an app, quit an app, run a shortcut, ...) rather than by its stored kind.
class ActionEditing {
public:
    enum class Choice { openApp, quitApp, shortcut, command, script, applescript, appControl };
    static constexpr std::array<Choice, 7> allChoices{
        Choice::openApp, Choice::quitApp,     Choice::shortcut,  Choice::command,
        Choice::script,  Choice::applescript, Choice::appControl};

    static QString rawValue(Choice choice);
    static std::optional<Choice> choiceFromRawValue(const QString &rawValue);
    static QString title(Choice choice);

    // The choice an action reads as. The quit form reads as quitting an app also while its app
    // name is still empty, so a half-made quit never turns into a script.
    static Choice choice(const Action &action);
    // The app the action opens or quits, or empty.
    static QString app(const Action &action);
    // The action made for another choice: the app carries over between opening and quitting,
    // the time-out always, everything else starts empty.
    static Action switchedTo(const Action &action, Choice choice);
    // The action with another app, opening or quitting as the current choice does.
    static Action withApp(const Action &action, const QString &app);
    // The action with another of the chosen app's items; a switch item turns "press" into "on",
    // a button item always presses.
    static Action withControl(const Action &action, const QString &item,
                              const std::optional<HostCatalog> &catalog);
    // The chosen item when it is a switch: the on/off choice is offered for it.
    static bool offersOnOff(const Action &action, const std::optional<HostCatalog> &catalog);
    // The on/off choice of an app-control action; none reads as "on".
    static QString onOffValue(const Action &action);
    static Action withOnOffValue(const Action &action, const QString &value);
    // Whether Try It may run the action as it stands: a target, and an app to quit.
    static bool canTry(const Action &action);
};

} // namespace Quorvel

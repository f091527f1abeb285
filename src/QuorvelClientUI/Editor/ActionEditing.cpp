#include "QuorvelClientUI/Editor/ActionEditing.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelCore/Model/QuitAppScript.h"

#include <QCoreApplication>

namespace Quorvel {

namespace {

const QString pressValue = QStringLiteral("press");
const QString onValue = QStringLiteral("on");

QString tr(const char *text)
{
    return QCoreApplication::translate("ActionEditing", text);
}

std::optional<HostCatalog::AppControls::Item> chosenItem(const Action &action,
                                                         const std::optional<HostCatalog> &catalog)
{
    if (!catalog)
        return std::nullopt;
    for (const HostCatalog::AppControls &provider : catalog->appControls) {
        if (provider.app == action.target)
            return provider.item(action.control);
    }
    return std::nullopt;
}

bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

} // namespace

QString ActionEditing::rawValue(Choice choice)
{
    switch (choice) {
    case Choice::openApp:
        return QStringLiteral("openApp");
    case Choice::quitApp:
        return QStringLiteral("quitApp");
    case Choice::shortcut:
        return QStringLiteral("shortcut");
    case Choice::command:
        return QStringLiteral("command");
    case Choice::script:
        return QStringLiteral("script");
    case Choice::applescript:
        return QStringLiteral("applescript");
    case Choice::appControl:
        return QStringLiteral("appControl");
    }
    return {};
}

std::optional<ActionEditing::Choice> ActionEditing::choiceFromRawValue(const QString &raw)
{
    for (Choice choice : allChoices) {
        if (rawValue(choice) == raw)
            return choice;
    }
    return std::nullopt;
}

QString ActionEditing::title(Choice choice)
{
    switch (choice) {
    case Choice::openApp:
        return tr("Open an app");
    case Choice::quitApp:
        return tr("Quit an app");
    case Choice::shortcut:
        return tr("Run a shortcut");
    case Choice::command:
        return tr("Run a command");
    case Choice::script:
        return tr("Run a script file");
    case Choice::applescript:
        return tr("Run AppleScript");
    case Choice::appControl:
        return tr("Use another app's control");
    }
    return {};
}

ActionEditing::Choice ActionEditing::choice(const Action &action)
{
    switch (action.type) {
    case Action::Kind::app:
        return Choice::openApp;
    case Action::Kind::shortcut:
        return Choice::shortcut;
    case Action::Kind::shell:
        return openCommandApp(action) ? Choice::openApp : Choice::command;
    case Action::Kind::applescript:
        return quitAppName(action.target) ? Choice::quitApp : Choice::applescript;
    case Action::Kind::script:
        return Choice::script;
    case Action::Kind::appControl:
        return Choice::appControl;
    }
    return Choice::command;
}

QString ActionEditing::app(const Action &action)
{
    if (const std::optional<QString> opened = openCommandApp(action))
        return *opened;
    if (action.type == Action::Kind::applescript)
        return quitAppName(action.target).value_or(QString());
    return {};
}

Action ActionEditing::switchedTo(const Action &action, Choice choice)
{
    const QString name = app(action);
    Action next;
    next.timeout = action.timeout;
    switch (choice) {
    case Choice::openApp:
        next.type = Action::Kind::app;
        next.target = name;
        break;
    case Choice::quitApp:
        return quitAppScript(name, action.timeout);
    case Choice::shortcut:
        next.type = Action::Kind::shortcut;
        break;
    case Choice::command:
        next.type = Action::Kind::shell;
        break;
    case Choice::script:
        next.type = Action::Kind::script;
        break;
    case Choice::applescript:
        next.type = Action::Kind::applescript;
        break;
    case Choice::appControl:
        next.type = Action::Kind::appControl;
        next.value = pressValue;
        break;
    }
    return next;
}

Action ActionEditing::withApp(const Action &action, const QString &app)
{
    if (choice(action) == Choice::quitApp)
        return quitAppScript(app, action.timeout);
    Action next;
    next.type = Action::Kind::app;
    next.target = app;
    next.timeout = action.timeout;
    return next;
}

Action ActionEditing::withControl(const Action &action, const QString &item,
                                  const std::optional<HostCatalog> &catalog)
{
    Action next = action;
    next.control = item.isEmpty() ? std::nullopt : std::optional<QString>(item);
    const std::optional<HostCatalog::AppControls::Item> chosen = chosenItem(next, catalog);
    if (!chosen)
        return next;
    if (chosen->kind == QLatin1String("toggle") && next.value == pressValue)
        next.value = onValue;
    if (chosen->kind == QLatin1String("button"))
        next.value = pressValue;
    return next;
}

bool ActionEditing::offersOnOff(const Action &action, const std::optional<HostCatalog> &catalog)
{
    const std::optional<HostCatalog::AppControls::Item> chosen = chosenItem(action, catalog);
    return chosen && chosen->kind == QLatin1String("toggle");
}

QString ActionEditing::onOffValue(const Action &action)
{
    return action.value.value_or(onValue);
}

Action ActionEditing::withOnOffValue(const Action &action, const QString &value)
{
    Action next = action;
    next.value = value;
    return next;
}

bool ActionEditing::canTry(const Action &action)
{
    if (isBlank(action.target))
        return false;
    return choice(action) != Choice::quitApp || !app(action).isEmpty();
}

} // namespace Quorvel

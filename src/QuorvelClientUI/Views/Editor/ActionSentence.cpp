#include "QuorvelClientUI/Views/Editor/ActionSentence.h"

#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/MissingTarget.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"

#include <QCoreApplication>

namespace Quorvel {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ActionSentence", text);
}

ActionSentence::Piece words(const QString &text)
{
    return {text, std::nullopt, false};
}

ActionSentence::Piece chip(const QString &text, ActionSentence::Part part, bool warning = false)
{
    return {text, part, warning};
}

Action emptyAction(Action::Kind kind)
{
    Action action;
    action.type = kind;
    return action;
}

} // namespace

Action ActionSentence::defaultAction()
{
    return emptyAction(Action::Kind::shortcut);
}

Action ActionSentence::defaultOnAction()
{
    return emptyAction(Action::Kind::app);
}

Action ActionSentence::defaultOffAction()
{
    return emptyAction(Action::Kind::shortcut);
}

StatusCheck ActionSentence::defaultStatusCheck()
{
    StatusCheck check;
    check.type = StatusCheck::Kind::processRunning;
    return check;
}

QString ActionSentence::kindWord(ControlType type)
{
    switch (type) {
    case ControlType::button:
        return tr("button");
    case ControlType::toggle:
        return tr("switch");
    case ControlType::metric:
        break;
    }
    return tr("readout");
}

QString ActionSentence::sourcePhrase(const StatusCheck &check,
                                     const std::optional<HostCatalog> &catalog,
                                     const std::optional<HostInfo> &hostInfo)
{
    if (check.type == StatusCheck::Kind::appControl)
        return appControlPhrase(check.target, check.control, catalog);
    if (const std::optional<ValuePreset> preset = ValuePreset::fromCommand(check.target)) {
        switch (preset->preset()) {
        case ReadoutPreset::freeDisk:
            return tr("free disk space");
        case ReadoutPreset::uptime:
            return tr("how long %1 has been up").arg(hostNameOf(hostInfo));
        case ReadoutPreset::load:
            return tr("the load average");
        }
    }
    const QString command = check.target.trimmed();
    if (command.isEmpty())
        return tr("nothing yet");
    return tr("the output of %1").arg(flattenedText(command));
}

QList<ActionSentence::Piece> ActionSentence::pieces(const Control &control,
                                                    const std::optional<HostCatalog> &catalog,
                                                    const std::optional<HostInfo> &hostInfo)
{
    QList<Piece> result{words(tr("A")), chip(kindWord(control.type), Part::type)};
    const auto actionChip = [&catalog](const Action &action, Part part) {
        return chip(actionPhrase(action, catalog), part,
                    missingTarget(action, catalog).has_value());
    };
    if (const std::optional<AppControlBinding> binding = appControlBinding(control)) {
        const QString verb = control.type == ControlType::button   ? tr("that presses")
                             : control.type == ControlType::toggle ? tr("for")
                                                                   : tr("that shows");
        result << words(verb)
               << chip(appControlPhrase(binding->app, binding->control, catalog), Part::appControl,
                       missingAppControl(binding->app, binding->control, catalog).has_value())
               << words(QStringLiteral("."));
        return result;
    }
    const StatusCheck check = control.statusCheck.value_or(defaultStatusCheck());
    switch (control.type) {
    case ControlType::button:
        result << words(tr(". Pressing it"))
               << actionChip(control.action.value_or(defaultAction()), Part::action);
        break;
    case ControlType::toggle:
        result << words(tr(". Turning it on"))
               << actionChip(control.onAction.value_or(defaultOnAction()), Part::onAction)
               << words(tr(". Turning it off"))
               << actionChip(control.offAction.value_or(defaultOffAction()), Part::offAction)
               << words(tr(". It shows on while"))
               << chip(statusCheckPhrase(check.type, check.target, check.control, catalog),
                       Part::statusCheck);
        break;
    case ControlType::metric:
        result << words(tr(". It shows"))
               << chip(sourcePhrase(check, catalog, hostInfo), Part::source)
               << words(tr(", refreshed")) << chip(intervalPhrase(check.interval), Part::interval);
        break;
    }
    result << words(QStringLiteral("."));
    return result;
}

} // namespace Quorvel

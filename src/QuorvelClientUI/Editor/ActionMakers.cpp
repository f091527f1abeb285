#include "QuorvelClientUI/Editor/ActionMakers.h"

#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/ControlID.h"

#include "QuorvelCore/Model/QuitAppScript.h"

#include <array>

namespace Quorvel {

namespace {

// Quitting through a shortcut may wait on the app saving its work.
constexpr double quitShortcutTimeout = 30;

constexpr std::array<QStringView, 3> quitWords{u"quit", u"stop", u"close"};

const QString readoutSymbol = QStringLiteral("gauge.with.dots.needle.50percent");

Action plainAction(Action::Kind kind, const QString &target,
                   std::optional<double> timeout = std::nullopt)
{
    Action action;
    action.type = kind;
    action.target = target;
    action.timeout = timeout;
    return action;
}

Control newControl(const QString &idBase, const QString &title, ControlType type,
                   const QString &icon, const QSet<QString> &taken)
{
    Control control;
    control.id = makeControlID(idBase, taken);
    control.title = title;
    control.type = type;
    control.icon = icon;
    return control;
}

QString offerSymbol(ControlType type)
{
    switch (type) {
    case ControlType::button:
        return QStringLiteral("hand.tap");
    case ControlType::toggle:
        return QStringLiteral("switch.2");
    case ControlType::metric:
        break;
    }
    return readoutSymbol;
}

} // namespace

Action quitAppScript(const QString &app, std::optional<double> timeout)
{
    if (const auto target = quitAppTarget(app))
        return plainAction(Action::Kind::applescript, *target, timeout);
    return plainAction(Action::Kind::shortcut, QString(), timeout);
}

std::optional<QString> quitShortcut(const QString &app, const QStringList &shortcuts)
{
    const QString lowerApp = app.toLower();
    for (const QString &shortcut : shortcuts) {
        const QString lower = shortcut.toLower();
        if (!lower.contains(lowerApp))
            continue;
        for (const QStringView word : quitWords) {
            if (lower.contains(word))
                return shortcut;
        }
    }
    return std::nullopt;
}

Control appSwitchControl(const QString &app, const std::optional<QString> &quitShortcut,
                         const QSet<QString> &taken)
{
    Control control =
        newControl(app, app, ControlType::toggle, QStringLiteral("power.circle"), taken);
    control.onAction = plainAction(Action::Kind::app, app);
    control.offAction =
        quitShortcut ? plainAction(Action::Kind::shortcut, *quitShortcut, quitShortcutTimeout)
                     : quitAppScript(app, std::nullopt);
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::processRunning, app, std::nullopt, std::nullopt};
    return control;
}

Control shortcutButtonControl(const QString &shortcut, const QSet<QString> &taken)
{
    Control control =
        newControl(shortcut, shortcut, ControlType::button, QStringLiteral("play.square"), taken);
    control.action = plainAction(Action::Kind::shortcut, shortcut);
    return control;
}

Control presetReadoutControl(const std::optional<ValuePreset> &preset, const QString &command,
                             const QSet<QString> &taken, double interval)
{
    if (preset) {
        Control control = newControl(preset->title(), preset->title(), ControlType::metric,
                                     preset->symbol(), taken);
        control.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, preset->command(),
                                          preset->interval(), std::nullopt};
        return control;
    }
    Control control =
        newControl(QStringLiteral("value"), QString(), ControlType::metric, readoutSymbol, taken);
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::shellOutput, command, interval, std::nullopt};
    return control;
}

std::optional<Control> controlFromAppOffer(const HostCatalog::AppControls::Item &item,
                                           const QString &app, const QSet<QString> &taken)
{
    const std::optional<ControlType> type = item.controlType();
    if (!type)
        return std::nullopt;
    Control control;
    control.id = makeControlID(item.name, taken);
    control.title = item.name;
    control.type = *type;
    useAppControl(control, app, item.id, *type);
    control.icon = offerSymbol(*type);
    return control;
}

Control commandControl(Action::Kind kind, const QString &command, const QSet<QString> &taken)
{
    Control control = newControl(QStringLiteral("command"), QString(), ControlType::button,
                                 QStringLiteral("terminal"), taken);
    control.action = plainAction(kind, command);
    return control;
}

} // namespace Quorvel

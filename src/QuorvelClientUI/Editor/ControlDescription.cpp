#include "QuorvelClientUI/Editor/ControlDescription.h"

#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/MissingTarget.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"

namespace Quorvel {

namespace {

// A part not chosen yet reads as an app action with no target: "does nothing yet".
Action orNothing(const std::optional<Action> &action)
{
    if (action)
        return *action;
    Action nothing;
    nothing.type = Action::Kind::app;
    return nothing;
}

// What a switch or a readout without a status check is described as.
StatusCheck orUnchecked(const std::optional<StatusCheck> &check)
{
    if (check)
        return *check;
    return StatusCheck{StatusCheck::Kind::processRunning, QString(), std::nullopt, std::nullopt};
}

QString describeBound(const Control &control, const AppControlBinding &binding,
                      const std::optional<HostCatalog> &catalog)
{
    const QString phrase = appControlPhrase(binding.app, binding.control, catalog);
    switch (control.type) {
    case ControlType::button:
        return QStringLiteral("A button that presses ") + phrase + u'.';
    case ControlType::toggle:
        return QStringLiteral("A switch for ") + phrase +
               QStringLiteral(". It turns it on and off, and shows whether it's on as soon as it "
                              "changes.");
    case ControlType::metric:
        break;
    }
    return QStringLiteral("A readout of ") + phrase +
           QStringLiteral(", updated as soon as it changes.");
}

QString readingOf(const StatusCheck &check, const std::optional<HostCatalog> &catalog,
                  const std::optional<HostInfo> &hostInfo)
{
    if (check.type == StatusCheck::Kind::appControl)
        return appControlPhrase(check.target, check.control, catalog);
    if (const auto preset = ValuePreset::fromCommand(check.target)) {
        switch (preset->preset()) {
        case ReadoutPreset::freeDisk:
            return QStringLiteral("free disk space");
        case ReadoutPreset::uptime:
            return QStringLiteral("how long ") + hostNameOf(hostInfo) +
                   QStringLiteral(" has been up");
        case ReadoutPreset::load:
            return QStringLiteral("the load average");
        }
    }
    const QString command = check.target.trimmed();
    if (command.isEmpty())
        return QStringLiteral("nothing yet");
    return QStringLiteral("the output of ") + flattenedText(command);
}

} // namespace

QString describe(const Control &control, const std::optional<HostCatalog> &catalog,
                 const std::optional<HostInfo> &hostInfo)
{
    if (const auto binding = appControlBinding(control))
        return describeBound(control, *binding, catalog);
    const StatusCheck check = orUnchecked(control.statusCheck);
    switch (control.type) {
    case ControlType::button:
        return QStringLiteral("A button. Pressing it ") +
               actionPhrase(orNothing(control.action), catalog) + u'.';
    case ControlType::toggle:
        return QStringLiteral("A switch. Turning it on ") +
               actionPhrase(orNothing(control.onAction), catalog) +
               QStringLiteral(". Turning it off ") +
               actionPhrase(orNothing(control.offAction), catalog) +
               QStringLiteral(". It shows on while ") +
               statusCheckPhrase(check.type, check.target, check.control, catalog) + u'.';
    case ControlType::metric:
        break;
    }
    return QStringLiteral("A readout. It shows ") + readingOf(check, catalog, hostInfo) +
           QStringLiteral(", refreshed ") + intervalPhrase(check.interval) + u'.';
}

} // namespace Quorvel

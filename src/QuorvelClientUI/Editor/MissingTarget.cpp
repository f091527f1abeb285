#include "QuorvelClientUI/Editor/MissingTarget.h"

#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelCore/Model/QuitAppScript.h"

#include <algorithm>

namespace Quorvel {

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");

std::optional<QString> missingApp(const QString &name, const HostCatalog &catalog, AppUse use)
{
    if (catalogHasApp(catalog, name, use))
        return std::nullopt;
    return name;
}

} // namespace

bool catalogHasApp(const HostCatalog &catalog, const QString &name, AppUse use)
{
    const Qt::CaseSensitivity idCase =
        use == AppUse::opening ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return std::any_of(
        catalog.apps.cbegin(), catalog.apps.cend(), [&](const HostCatalog::App &app) {
            const QString id = app.bundleID.value_or(QString());
            return (!id.isEmpty() && (id.compare(name, idCase) == 0 ||
                                      id.compare(name + desktopSuffix, idCase) == 0)) ||
                   app.name.compare(name, Qt::CaseInsensitive) == 0;
        });
}

std::optional<QString> missingAppControl(const QString &app, const std::optional<QString> &control,
                                         const std::optional<HostCatalog> &catalog)
{
    if (!catalog)
        return std::nullopt;
    const auto &offers = catalog->appControls;
    const auto entry =
        std::find_if(offers.cbegin(), offers.cend(),
                     [&app](const HostCatalog::AppControls &e) { return e.app == app; });
    if (entry != offers.cend() && entry->item(control))
        return std::nullopt;
    return appControlPhrase(app, control, catalog);
}

std::optional<QString> missingTarget(const Action &action,
                                     const std::optional<HostCatalog> &catalog)
{
    if (!catalog || action.target.isEmpty())
        return std::nullopt;
    if (action.type == Action::Kind::appControl)
        return missingAppControl(action.target, action.control, catalog);
    if (const auto app = openCommandApp(action))
        return missingApp(*app, *catalog, AppUse::opening);
    switch (action.type) {
    case Action::Kind::applescript:
        if (const auto app = quittingAppName(action.target))
            return missingApp(*app, *catalog, AppUse::quitting);
        return std::nullopt;
    case Action::Kind::shortcut:
        if (catalog->shortcuts.contains(action.target))
            return std::nullopt;
        return action.target;
    default:
        return std::nullopt;
    }
}

QString hostNameOf(const std::optional<HostInfo> &hostInfo)
{
    return hostInfo ? hostInfo->hostName : QStringLiteral("the host");
}

QStringList missingTargetProblems(const Control &control, const std::optional<HostCatalog> &catalog,
                                  const std::optional<HostInfo> &hostInfo)
{
    QStringList problems;
    for (const auto *action : {&control.action, &control.onAction, &control.offAction}) {
        if (!*action)
            continue;
        const std::optional<QString> missing = missingTarget(**action, catalog);
        if (!missing)
            continue;
        const QString kindWord = (*action)->type == Action::Kind::shortcut
                                     ? QStringLiteral("a shortcut")
                                     : QStringLiteral("an app");
        problems.append(hostNameOf(hostInfo) + QStringLiteral(" doesn't have ") + kindWord +
                        QStringLiteral(" called \u201c") + *missing +
                        QStringLiteral("\u201d, so this would fail."));
    }
    return problems;
}

} // namespace Quorvel

#include "QuorvelClientUI/Editor/DeckIdeas.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace Quorvel::DeckIdeas {

namespace {

// Apps worth a switch on a studio desktop, most wanted first, by the names their desktop
// entries give on Debian.
constexpr std::array<QStringView, 7> preferredApps{
    u"Rhythmbox", u"Elisa", u"Spotify", u"SonoBus", u"Audacity", u"OBS Studio", u"Firefox ESR"};

// This application's own desktop entry: a switch that quits the host would cut itself off.
const QString ownDesktopEntry = QStringLiteral("com.vantrel.quorvel.desktop");

// Shortcuts a new one is named with until the user names it.
const QString untitledShortcutPrefix = QStringLiteral("New Shortcut");

// More suggestions than this crowd the empty editor.
constexpr size_t largestList = 3;

struct Existing {
    QSet<QString> ids;
    QSet<QString> boundAppControls;
    QSet<QString> targets;
};

QString appControlKey(const QString &app, const QString &control)
{
    return app + u'/' + control;
}

Existing gather(const std::vector<Control> &existing)
{
    Existing used;
    for (const Control &control : existing) {
        used.ids.insert(control.id);
        if (const auto binding = appControlBinding(control))
            used.boundAppControls.insert(appControlKey(binding->app, binding->control));
        for (const auto *action : {&control.action, &control.onAction, &control.offAction}) {
            if (*action)
                used.targets.insert((*action)->target);
        }
        if (control.statusCheck)
            used.targets.insert(control.statusCheck->target);
    }
    return used;
}

std::optional<Idea> appControlIdea(const HostCatalog &catalog, const Existing &used)
{
    for (const HostCatalog::AppControls &offer : catalog.appControls) {
        if (!offer.isRunning)
            continue;
        for (const HostCatalog::AppControls::Item &item : offer.controls) {
            if (item.controlType() != ControlType::toggle ||
                used.boundAppControls.contains(appControlKey(offer.app, item.id)))
                continue;
            if (auto control = controlFromAppOffer(item, offer.app, used.ids))
                return Idea{QStringLiteral("appControl"), QStringLiteral("Switch for ") + item.name,
                            *control};
        }
    }
    return std::nullopt;
}

const HostCatalog::App *installedApp(const HostCatalog &catalog, QStringView name)
{
    const auto found =
        std::find_if(catalog.apps.cbegin(), catalog.apps.cend(),
                     [name](const HostCatalog::App &app) { return app.name == name; });
    return found == catalog.apps.cend() ? nullptr : &*found;
}

std::optional<QString> chosenApp(const HostCatalog &catalog, const Existing &used)
{
    for (const QStringView name : preferredApps) {
        if (installedApp(catalog, name) && !used.targets.contains(name.toString()))
            return name.toString();
    }
    for (const QString &name : catalog.runningApps) {
        const HostCatalog::App *app = installedApp(catalog, name);
        if (app && !used.targets.contains(name) && app->bundleID != ownDesktopEntry)
            return name;
    }
    return std::nullopt;
}

std::optional<Idea> appIdea(const HostCatalog &catalog, const Existing &used)
{
    const std::optional<QString> name = chosenApp(catalog, used);
    if (!name)
        return std::nullopt;
    return Idea{QStringLiteral("app"), QStringLiteral("Switch for ") + *name,
                appSwitchControl(*name, quitShortcut(*name, catalog.shortcuts), used.ids)};
}

std::optional<Idea> shortcutIdea(const HostCatalog &catalog, const Existing &used)
{
    for (const QString &shortcut : catalog.shortcuts) {
        if (used.targets.contains(shortcut) || shortcut.startsWith(untitledShortcutPrefix))
            continue;
        return Idea{QStringLiteral("shortcut"), QStringLiteral("Button for ") + shortcut,
                    shortcutButtonControl(shortcut, used.ids)};
    }
    return std::nullopt;
}

std::optional<Idea> diskIdea(const std::vector<Control> &existing, const Existing &used)
{
    const ValuePreset freeDisk = ValuePreset::freeDisk();
    const bool shown = std::any_of(existing.cbegin(), existing.cend(), [&](const Control &c) {
        return c.statusCheck && c.statusCheck->target == freeDisk.command();
    });
    if (shown)
        return std::nullopt;
    return Idea{QStringLiteral("disk"), freeDisk.title(),
                presetReadoutControl(freeDisk, freeDisk.command(), used.ids, freeDisk.interval())};
}

} // namespace

std::vector<Idea> ideas(const std::optional<HostCatalog> &catalog,
                        const std::vector<Control> &existing)
{
    if (!catalog)
        return {};
    const Existing used = gather(existing);
    std::vector<Idea> list;
    for (auto idea : {appControlIdea(*catalog, used), appIdea(*catalog, used),
                      shortcutIdea(*catalog, used), diskIdea(existing, used)}) {
        if (idea && list.size() < largestList)
            list.push_back(std::move(*idea));
    }
    return list;
}

} // namespace Quorvel::DeckIdeas

#include "QuorvelClientUI/Editor/AppControlPickerRules.h"

#include <QCoreApplication>

#include <algorithm>

namespace Quorvel {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AppControlPicker", text);
}

QString typeWord(ControlType type)
{
    switch (type) {
    case ControlType::button:
        return tr("Button");
    case ControlType::toggle:
        return tr("Switch");
    case ControlType::metric:
        return tr("Readout");
    }
    return {};
}

// " · " between the parts of a short status text.
const QString separator = QStringLiteral(" \u00B7 ");

} // namespace

bool AppControlPickerRules::isUsable(const Item &item, const QSet<ControlType> &allowed)
{
    const std::optional<ControlType> type = item.controlType();
    return type && allowed.contains(*type);
}

QString AppControlPickerRules::caption(const Provider &provider, const QSet<ControlType> &allowed)
{
    if (!provider.isRunning)
        return tr("Not running");
    const auto usable =
        std::count_if(provider.controls.cbegin(), provider.controls.cend(),
                      [&allowed](const Item &item) { return isUsable(item, allowed); });
    return tr("%1 to use").arg(usable);
}

QString AppControlPickerRules::notOfferedCaption()
{
    return tr("not offered now");
}

QList<AppControlPickerRules::Group> AppControlPickerRules::groups(const Provider &provider)
{
    QList<Group> groups;
    for (const Item &item : provider.controls) {
        if (groups.isEmpty() || groups.last().name != item.group)
            groups.append(Group{item.group, {}});
        groups.last().items.push_back(item);
    }
    return groups;
}

QString AppControlPickerRules::symbol(const Item &item)
{
    if (item.kind == QLatin1String("toggle"))
        return QStringLiteral("switch.2");
    if (item.kind == QLatin1String("button"))
        return QStringLiteral("hand.tap");
    if (item.kind == QLatin1String("level"))
        return item.readOnly ? QStringLiteral("gauge.with.dots.needle.50percent")
                             : QStringLiteral("slider.horizontal.3");
    if (item.kind == QLatin1String("meter"))
        return QStringLiteral("waveform");
    return QStringLiteral("questionmark.circle");
}

QString AppControlPickerRules::subtitle(const Item &item, const QSet<ControlType> &allowed)
{
    const std::optional<ControlType> type = item.controlType();
    if (!type)
        return item.kind == QLatin1String("meter") ? tr("A live meter: not supported yet")
                                                   : tr("Not supported yet");
    const QString word = typeWord(*type);
    if (!allowed.contains(*type))
        return word + tr(": this action can't use it");
    if (item.text)
        return word + separator + *item.text;
    if (item.on)
        return word + separator + (*item.on ? tr("On") : tr("Off"));
    return word;
}

QString AppControlPickerRules::shownApp(const std::vector<Provider> &providers, const QString &app)
{
    if (!app.isEmpty() || providers.empty())
        return app;
    const auto running = std::find_if(providers.cbegin(), providers.cend(),
                                      [](const Provider &provider) { return provider.isRunning; });
    return running != providers.cend() ? running->app : providers.front().app;
}

bool AppControlPickerRules::isNotOffered(const std::vector<Provider> &providers, const QString &app)
{
    return !app.isEmpty() &&
           std::none_of(providers.cbegin(), providers.cend(),
                        [&app](const Provider &provider) { return provider.app == app; });
}

} // namespace Quorvel

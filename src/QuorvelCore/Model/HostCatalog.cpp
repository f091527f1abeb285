#include "QuorvelCore/Model/HostCatalog.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"

#include <QJsonArray>

#include <algorithm>

namespace Quorvel {

namespace {

template<typename T> QJsonArray recordArray(const std::vector<T> &records)
{
    QJsonArray array;
    for (const T &record : records)
        array.append(record.toJson());
    return array;
}

} // namespace

QJsonObject HostCatalog::App::toJson() const
{
    QJsonObject json{{QStringLiteral("name"), name}, {QStringLiteral("path"), path}};
    if (bundleID)
        json.insert(QStringLiteral("bundle_id"), *bundleID);
    return json;
}

std::optional<HostCatalog::App> HostCatalog::App::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    App app;
    app.name = reader.requiredString(QStringLiteral("name"));
    app.path = reader.requiredString(QStringLiteral("path"));
    app.bundleID = reader.optionalString(QStringLiteral("bundle_id"));
    if (!reader.ok())
        return std::nullopt;
    return app;
}

bool operator==(const HostCatalog::App &a, const HostCatalog::App &b)
{
    return sameText(a.name, b.name) && sameText(a.path, b.path) && sameText(a.bundleID, b.bundleID);
}

std::optional<QString> HostCatalog::appID(const QString &name) const
{
    const auto app = std::find_if(apps.cbegin(), apps.cend(),
                                  [&name](const App &candidate) { return candidate.name == name; });
    return app == apps.cend() ? std::nullopt : app->bundleID;
}

size_t qHash(const HostCatalog::App &app, size_t seed)
{
    // A presence marker keeps an absent bundle id apart from an empty one.
    constexpr size_t absent = 0;
    constexpr size_t present = 1;
    seed = canonicalHash(app.name, seed);
    seed = canonicalHash(app.path, seed);
    if (!app.bundleID)
        return ::qHash(absent, seed);
    return canonicalHash(*app.bundleID, ::qHash(present, seed));
}

std::optional<ControlType> HostCatalog::AppControls::Item::controlType() const
{
    if (kind == QLatin1String("toggle"))
        return ControlType::toggle;
    if (kind == QLatin1String("button"))
        return ControlType::button;
    if (kind == QLatin1String("level"))
        return ControlType::metric;
    return std::nullopt;
}

QJsonObject HostCatalog::AppControls::Item::toJson() const
{
    QJsonObject json{{QStringLiteral("id"), id},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("kind"), kind},
                     {QStringLiteral("read_only"), readOnly}};
    if (group)
        json.insert(QStringLiteral("group"), *group);
    if (text)
        json.insert(QStringLiteral("text"), *text);
    if (on)
        json.insert(QStringLiteral("on"), *on);
    return json;
}

std::optional<HostCatalog::AppControls::Item>
HostCatalog::AppControls::Item::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    Item item;
    item.id = reader.requiredString(QStringLiteral("id"));
    item.name = reader.requiredString(QStringLiteral("name"));
    item.kind = reader.requiredString(QStringLiteral("kind"));
    item.group = reader.optionalString(QStringLiteral("group"));
    item.text = reader.optionalString(QStringLiteral("text"));
    item.on = reader.optionalBool(QStringLiteral("on"));
    item.readOnly = reader.requiredBool(QStringLiteral("read_only"));
    if (!reader.ok())
        return std::nullopt;
    return item;
}

bool operator==(const HostCatalog::AppControls::Item &a, const HostCatalog::AppControls::Item &b)
{
    return sameText(a.id, b.id) && sameText(a.name, b.name) && sameText(a.kind, b.kind) &&
           sameText(a.group, b.group) && a.readOnly == b.readOnly && sameText(a.text, b.text) &&
           a.on == b.on;
}

std::optional<HostCatalog::AppControls::Item>
HostCatalog::AppControls::item(const std::optional<QString> &id) const
{
    if (!id)
        return std::nullopt;
    const auto found = std::find_if(controls.cbegin(), controls.cend(),
                                    [&](const Item &item) { return sameText(item.id, *id); });
    if (found == controls.cend())
        return std::nullopt;
    return *found;
}

QJsonObject HostCatalog::AppControls::toJson() const
{
    return QJsonObject{{QStringLiteral("app"), app},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("is_running"), isRunning},
                       {QStringLiteral("controls"), recordArray(controls)}};
}

std::optional<HostCatalog::AppControls> HostCatalog::AppControls::fromJson(const QJsonValue &json,
                                                                           QString *error)
{
    JsonReader reader(json, error);
    AppControls appControls;
    appControls.app = reader.requiredString(QStringLiteral("app"));
    appControls.name = reader.requiredString(QStringLiteral("name"));
    appControls.isRunning = reader.requiredBool(QStringLiteral("is_running"));
    appControls.controls = reader.requiredRecordList<Item>(QStringLiteral("controls"));
    if (!reader.ok())
        return std::nullopt;
    return appControls;
}

bool operator==(const HostCatalog::AppControls &a, const HostCatalog::AppControls &b)
{
    return sameText(a.app, b.app) && sameText(a.name, b.name) && a.isRunning == b.isRunning &&
           a.controls == b.controls;
}

QJsonObject HostCatalog::toJson() const
{
    return QJsonObject{{QStringLiteral("shortcuts"), QJsonArray::fromStringList(shortcuts)},
                       {QStringLiteral("apps"), recordArray(apps)},
                       {QStringLiteral("running_apps"), QJsonArray::fromStringList(runningApps)},
                       {QStringLiteral("app_controls"), recordArray(appControls)}};
}

std::optional<HostCatalog> HostCatalog::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    HostCatalog catalog;
    catalog.shortcuts = reader.requiredStringList(QStringLiteral("shortcuts"));
    catalog.apps = reader.requiredRecordList<App>(QStringLiteral("apps"));
    catalog.runningApps = reader.requiredStringList(QStringLiteral("running_apps"));
    catalog.appControls = reader.optionalRecordList<AppControls>(QStringLiteral("app_controls"))
                              .value_or(std::vector<AppControls>{});
    if (!reader.ok())
        return std::nullopt;
    return catalog;
}

bool operator==(const HostCatalog &a, const HostCatalog &b)
{
    return sameTexts(a.shortcuts, b.shortcuts) && a.apps == b.apps &&
           sameTexts(a.runningApps, b.runningApps) && a.appControls == b.appControls;
}

} // namespace Quorvel

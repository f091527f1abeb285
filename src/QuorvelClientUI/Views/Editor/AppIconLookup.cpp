#include "QuorvelClientUI/Views/Editor/AppIconLookup.h"

#include "Platform/Desktop/DesktopEntries.h"

#include <QFileInfo>

namespace Quorvel {

AppIconLookup::AppIconLookup(Finder finder) : m_finder(std::move(finder)) {}

AppIconLookup &AppIconLookup::shared()
{
    static AppIconLookup lookup(&DesktopEntries::find);
    return lookup;
}

std::optional<QIcon> AppIconLookup::icon(const QString &name, const std::optional<QString> &appID)
{
    const QString key = appID ? *appID : name;
    const auto found = m_cache.constFind(key);
    if (found != m_cache.cend())
        return *found;
    const std::optional<QIcon> result = load(name, appID);
    m_cache.insert(key, result);
    return result;
}

std::optional<QIcon> AppIconLookup::load(const QString &name, const std::optional<QString> &appID)
{
    std::optional<DesktopEntry> entry;
    if (appID && !appID->isEmpty()) {
        ++m_searches;
        entry = m_finder(*appID);
    }
    if (!entry && !name.isEmpty()) {
        ++m_searches;
        entry = m_finder(name);
    }
    return entry ? iconOf(*entry) : std::nullopt;
}

std::optional<QIcon> AppIconLookup::iconOf(const DesktopEntry &entry)
{
    if (entry.icon.isEmpty())
        return std::nullopt;
    QIcon icon =
        QFileInfo(entry.icon).isAbsolute() ? QIcon(entry.icon) : QIcon::fromTheme(entry.icon);
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

} // namespace Quorvel

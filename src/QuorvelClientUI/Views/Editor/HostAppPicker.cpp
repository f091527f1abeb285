#include "QuorvelClientUI/Views/Editor/HostAppPicker.h"

#include "QuorvelClientUI/Views/Editor/AppIcon.h"

#include <algorithm>

namespace Quorvel {

HostAppPicker::HostAppPicker(QWidget *parent) : CatalogPicker(parent)
{
    setBadge([this](const QString &name) -> std::optional<QString> {
        if (m_running.contains(name))
            return tr("Running");
        return std::nullopt;
    });
    setIcon([this](const QString &name, QWidget *parent) -> QWidget * {
        const auto app =
            std::find_if(m_apps.cbegin(), m_apps.cend(),
                         [&name](const HostCatalog::App &a) { return a.name == name; });
        return new AppIcon(name, app == m_apps.cend() ? std::nullopt : app->bundleID, iconSide,
                           parent);
    });
}

void HostAppPicker::showApps(const std::optional<HostCatalog> &catalog, const QString &hostName)
{
    const std::vector<HostCatalog::App> apps =
        catalog ? catalog->apps : std::vector<HostCatalog::App>();
    const QStringList running = catalog ? catalog->runningApps : QStringList();
    if (m_hostName == hostName && m_apps == apps && m_running == running)
        return;
    m_apps = apps;
    m_running = running;
    m_hostName = hostName;
    setPrompt(tr("Search apps on %1").arg(hostName));
    QStringList names;
    for (const HostCatalog::App &app : m_apps)
        names.append(app.name);
    setItems(names);
}

} // namespace Quorvel

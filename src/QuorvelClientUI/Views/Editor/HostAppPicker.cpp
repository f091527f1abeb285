#include "QuorvelClientUI/Views/Editor/HostAppPicker.h"

#include "QuorvelClientUI/Views/Editor/AppIcon.h"

namespace Quorvel {

HostAppPicker::HostAppPicker(QWidget *parent) : CatalogPicker(parent)
{
    setBadge([this](const QString &name) -> std::optional<QString> {
        if (m_shown.runningApps.contains(name))
            return tr("Running");
        return std::nullopt;
    });
    setIcon([this](const QString &name, QWidget *parent) -> QWidget * {
        return new AppIcon(name, m_shown.appID(name), iconSide, parent);
    });
}

void HostAppPicker::showApps(const std::optional<HostCatalog> &catalog, const QString &hostName)
{
    HostCatalog shown;
    if (catalog) {
        shown.apps = catalog->apps;
        shown.runningApps = catalog->runningApps;
    }
    if (m_hostName == hostName && m_shown == shown)
        return;
    m_shown = shown;
    m_hostName = hostName;
    setPrompt(tr("Search apps on %1").arg(hostName));
    QStringList names;
    for (const HostCatalog::App &app : m_shown.apps)
        names.append(app.name);
    setItems(names);
}

} // namespace Quorvel

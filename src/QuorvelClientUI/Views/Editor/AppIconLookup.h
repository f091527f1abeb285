#pragma once

#include "Platform/Desktop/DesktopEntry.h"

#include <QHash>
#include <QIcon>
#include <QString>

#include <functional>
#include <optional>

namespace Quorvel {

// Finds an application's icon on this computer from its desktop entry: by the app's identifier
// when one is known, else by its name. Every answer is kept for the life of the process, a miss
// too, so long lists of apps are drawn again without reading the disk. Main thread only.
class AppIconLookup {
public:
    // Finds the desktop entry a name or identifier names.
    using Finder = std::function<std::optional<DesktopEntry>(const QString &)>;

    explicit AppIconLookup(Finder finder);

    // The lookup over this computer's installed applications.
    static AppIconLookup &shared();

    // The icon, or none when this computer lacks the app (another host's deck).
    std::optional<QIcon> icon(const QString &name, const std::optional<QString> &appID);
    // How many times the desktop entries were searched, for the cache's tests.
    int searches() const { return m_searches; }

private:
    std::optional<QIcon> load(const QString &name, const std::optional<QString> &appID);
    static std::optional<QIcon> iconOf(const DesktopEntry &entry);

    Finder m_finder;
    QHash<QString, std::optional<QIcon>> m_cache;
    int m_searches = 0;
};

} // namespace Quorvel

#include "Widgets/IconTheme.h"

#include <QIcon>
#include <QStringList>

namespace Quorvel::IconTheme {

void setUp()
{
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QLatin1String(iconFolder))) {
        paths.append(QLatin1String(iconFolder));
        QIcon::setThemeSearchPaths(paths);
    }
    QIcon::setFallbackThemeName(QLatin1String(fallbackTheme));
    // Without a theme of its own even the fallback is never consulted.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(QLatin1String(fallbackTheme));
    }
}

} // namespace Quorvel::IconTheme

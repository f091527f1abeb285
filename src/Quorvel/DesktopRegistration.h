#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// A program started from its build folder is not installed, so neither links of its scheme nor
// the bus can start it. It registers its own desktop entry and bus service file under the user's
// data folder (~/.local/share), pointing at the build, and says so once: only files that are
// missing or different are written.
class DesktopRegistration {
public:
    static constexpr char desktopEntryName[] = "com.vantrel.quorvel.desktop";
    static constexpr char serviceFileName[] = "com.vantrel.quorvel.service";

    // Copies the files generated in generatedFolder to dataHome's applications and dbus-1/services
    // folders, and every icon under iconRoot (a hicolor tree) to dataHome's icons/hicolor. Returns
    // the paths it wrote; empty when everything was up to date or failed (logged).
    static QStringList registerFrom(const QString &generatedFolder, const QString &iconRoot,
                                    const QString &dataHome);
};

} // namespace Quorvel

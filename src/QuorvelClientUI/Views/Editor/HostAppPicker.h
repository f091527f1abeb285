#pragma once

#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <optional>

namespace Quorvel {

// Picks one of the host's installed apps: their names in the catalog's order, "Running" on those
// the host runs, and each app's icon as this computer has it (a placeholder where it has none).
class HostAppPicker : public CatalogPicker {
    Q_OBJECT

public:
    static constexpr int iconSide = 18;

    explicit HostAppPicker(QWidget *parent = nullptr);

    // Shows the apps of the catalog (none without one); the same catalog again changes nothing, so
    // it can follow every change of the host's data.
    void showApps(const std::optional<HostCatalog> &catalog, const QString &hostName);

private:
    // The catalog's apps and running apps as shown; the rest of it stays empty.
    HostCatalog m_shown;
    std::optional<QString> m_hostName;
};

} // namespace Quorvel

#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// Which parts the menu shows, top to bottom, for the roles and the host: the remote's view while
// the remote is on; this computer's summary while it hosts and its coordinator exists; the footer
// always, opening with a line saying Quorvel is off when neither role is on.
struct AppMenuSections {
    static inline const QString offLine =
        QStringLiteral("Quorvel is off on this computer. Choose what it does in Settings.");
    static inline const QString thisComputerTitle = QStringLiteral("This Computer");
    static inline const QString editActionsText = QStringLiteral("Edit This Computer's Actions…");
    static inline const QString settingsText = QStringLiteral("Settings…");
    static inline const QString quitText = QStringLiteral("Quit");

    bool remote = false;
    bool hostSummary = false;
    bool offText = false;

    static AppMenuSections forRoles(bool remote, bool hosting, bool hostExists);
    // The summary's line of connected devices, in the order given.
    static QString connectedLine(const QStringList &names);

    friend bool operator==(const AppMenuSections &, const AppMenuSections &) = default;
};

} // namespace Quorvel

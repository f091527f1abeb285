// The application's menu for each combination of roles, over a real application state with a
// real host coordinator and a remote linked to a real host in this process; and the tray's mark,
// active and dimmed, as the tray shows it.

#include "Gallery/GalleryApp.h"
#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "Quorvel/TrayPresence.h"
#include "QuorvelClientUI/ClientModel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace Quorvel {

namespace {

// The tray's sizes as panels ask for them, side by side.
constexpr int traySides[] = {16, 22, 24, 32, 48};
constexpr int trayMargin = 8;

QWidget *menuFor(GallerySession &session, bool remote, bool hosting)
{
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    if (remote && !session.pair(model, session.startHost(GalleryDecks::studio())))
        return nullptr;
    return new AppMenu(*galleryApp(session, remote, hosting, model));
}

QWidget *trayMark(bool active)
{
    auto *panel = new QWidget;
    panel->setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(trayMargin, trayMargin, trayMargin, trayMargin);
    const QIcon icon = TrayPresence::markIcon(active);
    for (const int side : traySides) {
        auto *label = new QLabel;
        label->setPixmap(icon.pixmap(side));
        layout->addWidget(label, 0, Qt::AlignBottom);
    }
    return panel;
}

const QString menu = QStringLiteral("AppMenu");
const QString tray = QStringLiteral("TrayIcon");

const GalleryRegistry::Registration pages{
    {menu, QStringLiteral("off"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return menuFor(session, false, false); }},
    {menu, QStringLiteral("remote"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return menuFor(session, true, false); }},
    {menu, QStringLiteral("hosting"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return menuFor(session, false, true); }},
    {menu, QStringLiteral("both"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return menuFor(session, true, true); }},
    {tray, QStringLiteral("active"), GalleryPass::withoutDiscovery,
     [](GallerySession &) { return trayMark(true); }},
    {tray, QStringLiteral("dimmed"), GalleryPass::withoutDiscovery,
     [](GallerySession &) { return trayMark(false); }},
};

} // namespace

} // namespace Quorvel

// The application's menu for each combination of roles, over a real application state with a
// real host coordinator and a remote linked to a real host in this process; and the tray's mark,
// active and dimmed, as the tray shows it on a light and on a dark panel.

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
#include <QVBoxLayout>

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

// A dark panel as tint2 and GNOME's top bar show it, whatever the desktop's palette.
const QColor darkPanel(0x20, 0x20, 0x20);

// The mark at each of the tray's sizes on one panel: the window's colour, or a dark one.
QWidget *markStrip(const QIcon &icon, bool dark)
{
    auto *strip = new QWidget;
    strip->setAutoFillBackground(true);
    if (dark) {
        QPalette palette = strip->palette();
        palette.setColor(QPalette::Window, darkPanel);
        strip->setPalette(palette);
    }
    auto *layout = new QHBoxLayout(strip);
    layout->setContentsMargins(trayMargin, trayMargin, trayMargin, trayMargin);
    for (const int side : traySides) {
        auto *label = new QLabel;
        label->setPixmap(icon.pixmap(side));
        layout->addWidget(label, 0, Qt::AlignBottom);
    }
    return strip;
}

QWidget *trayMark(bool active)
{
    auto *panels = new QWidget;
    auto *layout = new QVBoxLayout(panels);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QIcon icon = TrayPresence::markIcon(active);
    layout->addWidget(markStrip(icon, false));
    layout->addWidget(markStrip(icon, true));
    return panels;
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

#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace Quorvel {

class GallerySession;

// Which run of the gallery draws a page: the discovery service running (inside the mDNS
// sandbox) or absent; pages that do not care are drawn in the run without it.
enum class GalleryPass { withoutDiscovery, withDiscovery };

// One picture: a view in one state, written to <view>-<state>.png.
struct GalleryPage {
    QString view;
    QString state;
    GalleryPass pass = GalleryPass::withoutDiscovery;
    // Makes the view in its state, waiting on the session for models and hosts to get there.
    // Returns null when the state could not be reached; the run then fails.
    std::function<QWidget *(GallerySession &)> make;
    // Pages with a lower phase are drawn first: those that must meet no host at all.
    int phase = 0;

    QString fileName() const { return view + QLatin1Char('-') + state + QStringLiteral(".png"); }
};

} // namespace Quorvel

#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

// The product's mark, drawn from a fixed polygon rather than an image file, so it is sharp at
// every size the tray or a window asks for.
namespace Quorvel::QuorvelMark {

// Opacity of the mark while the application is not active.
inline constexpr qreal dimmedAlpha = 0.45;
// The side lengths, in pixels, that tray hosts ask for.
inline constexpr int iconSizes[] = {16, 22, 24, 32, 48};
// The mark keeps a little room inside its square: half a unit on the sides, one at top and bottom.
inline constexpr qreal insetX = 0.5;
inline constexpr qreal insetY = 1.0;

// The nine corners, in design units, in drawing order (y grows downward).
const QList<QPointF> &points();
// The corners' bounding box, stored rather than computed, so fitting never drifts.
QRectF bounds();

// The closed polygon fitted into rect: proportions kept, the bounds' centre on rect's centre.
QPainterPath path(const QRectF &rect);
// Fills the mark, inset, into rect with colour (its alpha times dimmedAlpha when dimmed). Draws
// nothing and answers false without an active painter.
bool draw(QPainter *painter, const QRectF &rect, bool dimmed, const QColor &colour = Qt::black);
// A square image of side pixels (times the device pixel ratio), transparent around the mark.
QImage image(bool dimmed, int side, qreal devicePixelRatio = 1.0, const QColor &colour = Qt::black);
// The outline around the tray's mark, as a share of the icon's side: over a pixel at 16 px, so
// it reads on any panel, and thin enough at 48 px to keep the mark's shape.
inline constexpr qreal haloShare = 1.0 / 14;
// The outline's colour for a mark in ink: white or black, whichever differs more from the ink.
QColor haloColour(const QColor &ink);
// The tray's picture: the mark in ink, outlined in haloColour(ink), so that it reads on a light
// and on a dark panel alike (the panel's colour is never known here). Dimmed, the mark is the
// grey that reads on black and white alike, without the outline, so that it stands out less than
// the active mark on either panel: fading the whole picture instead would leave a dark ink's mark
// as a faint outline on a dark panel.
QImage trayImage(bool dimmed, int side, const QColor &ink);
// The tray's icon: trayImage for each of iconSizes.
QIcon icon(bool dimmed, const QColor &ink = Qt::black);

} // namespace Quorvel::QuorvelMark

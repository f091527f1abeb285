#pragma once

#include <QIconEngine>
#include <QPainterPath>

namespace Quorvel {

// Paints one drawn symbol: outlines stroked and shapes filled in the palette's text colour (the
// disabled one for a disabled icon), scaled from a 24 by 24 design to the size asked for.
class DrawnSymbolEngine : public QIconEngine {
public:
    // Both paths are in the 24 by 24 design's coordinates.
    DrawnSymbolEngine(QPainterPath outline, QPainterPath filled);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

private:
    QPainterPath m_outline;
    QPainterPath m_filled;
};

} // namespace Quorvel

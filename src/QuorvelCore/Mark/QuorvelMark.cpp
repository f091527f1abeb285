#include "QuorvelCore/Mark/QuorvelMark.h"

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>

#include <algorithm>

namespace Quorvel::QuorvelMark {

const QList<QPointF> &points()
{
    static const QList<QPointF> corners{
        {60.0, 21.5}, {86.4, 78.7}, {73.2, 78.7}, {66.6, 61.1}, {55.6, 61.1},
        {64.4, 52.3}, {60.0, 41.3}, {42.4, 78.7}, {33.6, 78.7},
    };
    return corners;
}

QRectF bounds()
{
    return QRectF(33.6, 21.5, 52.8, 57.2);
}

QPainterPath path(const QRectF &rect)
{
    const QRectF box = bounds();
    const qreal scale = std::min(rect.width() / box.width(), rect.height() / box.height());
    const qreal tx = rect.center().x() - scale * box.center().x();
    const qreal ty = rect.center().y() - scale * box.center().y();
    QPainterPath outline;
    const QList<QPointF> &corners = points();
    outline.moveTo(tx + scale * corners.first().x(), ty + scale * corners.first().y());
    for (qsizetype i = 1; i < corners.size(); ++i) {
        outline.lineTo(tx + scale * corners[i].x(), ty + scale * corners[i].y());
    }
    outline.closeSubpath();
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

bool draw(QPainter *painter, const QRectF &rect, bool dimmed, const QColor &colour)
{
    if (!painter || !painter->isActive()) {
        return false;
    }
    QColor fill = colour;
    fill.setAlphaF(colour.alphaF() * (dimmed ? dimmedAlpha : 1.0));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path(rect.adjusted(insetX, insetY, -insetX, -insetY)), fill);
    painter->restore();
    return true;
}

QImage image(bool dimmed, int side, qreal devicePixelRatio, const QColor &colour)
{
    const int pixels = qRound(side * devicePixelRatio);
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    draw(&painter, QRectF(0, 0, side, side), dimmed, colour);
    painter.end();
    result.setText(QStringLiteral("Description"), QStringLiteral("Quorvel"));
    return result;
}

QColor haloColour(const QColor &ink)
{
    const QColor white(Qt::white);
    const QColor black(Qt::black);
    return ColourContrast::ratio(ink, white) >= ColourContrast::ratio(ink, black) ? white : black;
}

QImage trayImage(bool dimmed, int side, const QColor &ink)
{
    // The outline is the mark's room: it reaches the icon's edges and no further.
    const qreal halo = side * haloShare;
    const QPainterPath mark = path(QRectF(0, 0, side, side).adjusted(halo, halo, -halo, -halo));
    const QColor outline = haloColour(ink);
    QImage result(side, side, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    // The dimmed mark goes without the outline: on a panel of the ink's own colour the active
    // mark shows as its outline alone, and a dimmed mark outlined as well would outshine it there.
    if (!dimmed) {
        painter.setPen(QPen(outline, 2 * halo, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(outline);
        painter.drawPath(mark);
    }
    painter.fillPath(mark, dimmed ? ColourContrast::evenGrey() : ink);
    painter.end();
    return result;
}

QIcon icon(bool dimmed, const QColor &ink)
{
    QIcon result;
    for (const int side : iconSizes) {
        result.addPixmap(QPixmap::fromImage(trayImage(dimmed, side, ink)));
    }
    return result;
}

} // namespace Quorvel::QuorvelMark

#include "Quorvel/Setup/MarkTile.h"

#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QPainter>
#include <QPainterPath>

namespace Quorvel {

MarkTile::MarkTile(QWidget *parent) : QWidget(parent)
{
    setFixedSize(markSide + 2 * padding, markSide + 2 * padding);
    setAccessibleName(QStringLiteral("Quorvel"));
}

void MarkTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::WindowText);
    QColor fill = text;
    fill.setAlphaF(float(fillAlpha));
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);
    const QImage mark = QuorvelMark::image(false, markSide, devicePixelRatioF(), text);
    painter.drawImage(QRect(padding, padding, markSide, markSide), mark);
}

} // namespace Quorvel

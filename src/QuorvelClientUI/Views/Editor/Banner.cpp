#include "QuorvelClientUI/Views/Editor/Banner.h"

#include <QPainter>
#include <QPainterPath>

namespace Quorvel {

Banner::Banner(StatusTone tone, qreal alpha, QWidget *parent)
    : QFrame(parent), m_tone(tone), m_alpha(alpha)
{}

void Banner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = statusColor(m_tone, palette());
    fill.setAlphaF(float(m_alpha));
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);
}

} // namespace Quorvel

#include "Widgets/StatusDot.h"

#include <QPainter>

namespace Quorvel {

StatusDot::StatusDot(int diameter, QWidget *parent) : QWidget(parent), m_diameter(diameter)
{
    setFixedSize(diameter, diameter);
}

void StatusDot::setTone(StatusTone tone)
{
    if (m_tone != tone) {
        m_tone = tone;
        update();
    }
}

QSize StatusDot::sizeHint() const
{
    return {m_diameter, m_diameter};
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(statusColor(m_tone, palette()));
    painter.drawEllipse(QRectF(0, 0, m_diameter, m_diameter));
}

} // namespace Quorvel

#include "Widgets/BusyIndicator.h"

#include <QPainter>
#include <QPalette>

namespace Quorvel {

namespace {

// Spokes of the indicator; one lights up after the other.
constexpr int spokes = 8;
// One step of the turn: a whole turn a little under a second.
constexpr int stepMs = 110;
constexpr int fullCircleDegrees = 360;
// The faintest spoke, as a share of the text colour's opacity.
constexpr qreal faintest = 0.2;

} // namespace

BusyIndicator::BusyIndicator(int side, QWidget *parent) : QWidget(parent), m_side(side)
{
    setFixedSize(side, side);
    m_timer.setInterval(stepMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

QSize BusyIndicator::sizeHint() const
{
    return {m_side, m_side};
}

void BusyIndicator::showEvent(QShowEvent *)
{
    m_timer.start();
}

void BusyIndicator::hideEvent(QHideEvent *)
{
    m_timer.stop();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m_side / 2.0, m_side / 2.0);
    const qreal outer = m_side / 2.0;
    QPen pen(palette().color(QPalette::WindowText));
    pen.setWidthF(qMax(1.5, m_side / 8.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int spoke = 0; spoke < spokes; ++spoke) {
        const int age = (m_step - spoke + spokes) % spokes;
        QColor colour = pen.color();
        colour.setAlphaF(1.0 - (1.0 - faintest) * age / (spokes - 1));
        pen.setColor(colour);
        painter.setPen(pen);
        painter.save();
        painter.rotate(fullCircleDegrees * spoke / spokes);
        painter.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer * 0.9));
        painter.restore();
    }
}

} // namespace Quorvel

#include "QuorvelClientUI/Views/Editor/ControlBadge.h"

#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace Quorvel {

namespace {

// Proportions of the badge: the symbol's size, the corner radius, the tint's opacity.
constexpr qreal symbolScale = 0.45;
constexpr qreal cornerScale = 0.25;
constexpr qreal tintAlpha = 0.13;

StatusTone toneFor(ControlType type)
{
    switch (type) {
    case ControlType::button:
        return StatusTone::purple;
    case ControlType::toggle:
        return StatusTone::blue;
    case ControlType::metric:
        break;
    }
    return StatusTone::orange;
}

} // namespace

ControlBadge::ControlBadge(const std::optional<QString> &icon, ControlType type, int size,
                           QWidget *parent)
    : QWidget(parent), m_icon(icon), m_type(type), m_size(size)
{
    setFixedSize(size, size);
    setAccessibleName(QString());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ControlBadge::set(const std::optional<QString> &icon, ControlType type)
{
    if (icon == m_icon && type == m_type)
        return;
    m_icon = icon;
    m_type = type;
    update();
}

QString ControlBadge::symbolFor(const std::optional<QString> &icon)
{
    return icon && !icon->isEmpty() ? *icon : QStringLiteral("circle.dashed");
}

void ControlBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = statusColor(toneFor(m_type), palette());
    QColor tint = colour;
    tint.setAlphaF(float(tintAlpha));
    QPainterPath shape;
    const qreal radius = m_size * cornerScale;
    shape.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(shape, tint);
    const int side = qMax(1, qRound(m_size * symbolScale));
    const QPixmap pixmap = SymbolIcons::tinted(symbol(), side * devicePixelRatio(), colour);
    const QRect target((m_size - side) / 2, (m_size - side) / 2, side, side);
    painter.drawPixmap(target, pixmap);
}

} // namespace Quorvel

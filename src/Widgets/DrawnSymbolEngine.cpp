#include "Widgets/DrawnSymbolEngine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace Quorvel {

namespace {

constexpr qreal designSide = 24;
constexpr qreal lineWidth = 1.6;

} // namespace

DrawnSymbolEngine::DrawnSymbolEngine(QPainterPath outline, QPainterPath filled)
    : m_outline(std::move(outline)), m_filled(std::move(filled))
{}

void DrawnSymbolEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const QPalette palette = QGuiApplication::palette();
    QColor ink = palette.color(QPalette::Active, QPalette::WindowText);
    if (mode == QIcon::Disabled)
        ink = palette.color(QPalette::Disabled, QPalette::WindowText);
    else if (mode == QIcon::Selected)
        ink = palette.color(QPalette::Active, QPalette::HighlightedText);
    const qreal side = qMin(rect.width(), rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
    painter->scale(side / designSide, side / designSide);
    painter->setPen(QPen(ink, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(m_outline);
    painter->setPen(Qt::NoPen);
    painter->setBrush(ink);
    painter->drawPath(m_filled);
    painter->restore();
}

QPixmap DrawnSymbolEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap drawn(size);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return drawn;
}

QIconEngine *DrawnSymbolEngine::clone() const
{
    return new DrawnSymbolEngine(m_outline, m_filled);
}

QString DrawnSymbolEngine::key() const
{
    return QStringLiteral("QuorvelDrawnSymbol");
}

} // namespace Quorvel

#include "QuorvelClientUI/Views/Editor/PickerRow.h"

#include "Widgets/StatusColors.h"

#include <QPainter>

namespace Quorvel {

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 5;
constexpr int partSpacing = 8;
// The leading column, so labels line up whether a row has a mark or not.
constexpr int markWidth = 14;
// Badge text on a picked row: white at 85%.
constexpr qreal selectedBadgeAlpha = 0.85;
constexpr qreal badgeScale = 0.77;

} // namespace

PickerRow::PickerRow(const QString &value, const QString &label, const QIcon &icon,
                     const QString &badge, bool selected, QWidget *parent)
    : QAbstractButton(parent), m_value(value), m_icon(icon), m_badge(badge), m_selected(selected)
{
    setText(label);
    setAccessibleName(label);
    setCheckable(false);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PickerRow::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + markWidth + 2 * horizontalPadding +
                     partSpacing,
                 qMax(metrics.height(), markWidth) + 2 * verticalPadding);
}

void PickerRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    if (m_selected)
        painter.fillRect(rect(), pal.color(QPalette::Highlight));
    const QColor ink =
        m_selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    int x = horizontalPadding;
    const QRect markRect(x, (height() - markWidth) / 2, markWidth, markWidth);
    if (!m_icon.isNull())
        m_icon.paint(&painter, markRect);
    else if (m_selected) {
        painter.setPen(ink);
        painter.drawText(markRect, Qt::AlignCenter, QStringLiteral("\u2713"));
    }
    x += markWidth + partSpacing;
    int right = width() - horizontalPadding;
    if (!m_badge.isEmpty()) {
        QFont small = font();
        small.setPointSizeF(font().pointSizeF() * badgeScale);
        painter.setFont(small);
        QColor badgeInk = m_selected ? pal.color(QPalette::HighlightedText)
                                     : statusColor(StatusTone::secondary, pal);
        if (m_selected)
            badgeInk.setAlphaF(float(selectedBadgeAlpha));
        painter.setPen(badgeInk);
        const int badgeWidth = QFontMetrics(small).horizontalAdvance(m_badge);
        painter.drawText(QRect(right - badgeWidth, 0, badgeWidth, height()), Qt::AlignVCenter,
                         m_badge);
        right -= badgeWidth + partSpacing;
        painter.setFont(font());
    }
    painter.setPen(ink);
    const QString shown =
        QFontMetrics(font()).elidedText(text(), Qt::ElideRight, qMax(0, right - x));
    painter.drawText(QRect(x, 0, right - x, height()), Qt::AlignVCenter | Qt::TextSingleLine,
                     shown);
}

} // namespace Quorvel

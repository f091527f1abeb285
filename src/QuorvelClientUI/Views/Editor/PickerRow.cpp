#include "QuorvelClientUI/Views/Editor/PickerRow.h"

#include "Widgets/FocusRing.h"
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

PickerRow::PickerRow(const QString &value, const QString &label, QWidget *leading,
                     const QString &badge, bool selected, QWidget *parent)
    : QAbstractButton(parent), m_value(value), m_leading(leading), m_badge(badge),
      m_selected(selected)
{
    setText(label);
    setAccessibleName(label);
    setCheckable(false);
    // The list decides which of its rows Tab reaches; the row marks its focus inside itself, where
    // neighbours and the list's edges cannot cover the ring.
    setFocusPolicy(Qt::NoFocus);
    FocusRing::setDrawsOwnRing(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (m_leading) {
        m_leading->setParent(this);
        // Clicks on the picture pick the row.
        m_leading->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_leading->resize(m_leading->sizeHint());
    }
}

int PickerRow::leadingWidth() const
{
    return m_leading ? m_leading->width() : markWidth;
}

QSize PickerRow::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int leadingHeight = m_leading ? m_leading->height() : markWidth;
    return QSize(metrics.horizontalAdvance(text()) + leadingWidth() + 2 * horizontalPadding +
                     partSpacing,
                 qMax(metrics.height(), leadingHeight) + 2 * verticalPadding);
}

void PickerRow::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    if (m_leading)
        m_leading->move(horizontalPadding, (height() - m_leading->height()) / 2);
}

void PickerRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    if (m_selected)
        painter.fillRect(rect(), pal.color(QPalette::Highlight));
    const QColor ink =
        m_selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    if (FocusRing::isShownOn(this))
        FocusRing::paint(
            painter, rect(),
            FocusRing::colour(pal, pal.color(m_selected ? QPalette::Highlight : QPalette::Base)));
    int x = horizontalPadding;
    if (!m_leading && m_selected) {
        painter.setPen(ink);
        painter.drawText(QRect(x, (height() - markWidth) / 2, markWidth, markWidth),
                         Qt::AlignCenter, QStringLiteral("\u2713"));
    }
    x += leadingWidth() + partSpacing;
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

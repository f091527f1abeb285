#include "QuorvelClientUI/Views/Editor/Chip.h"

#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "Widgets/ShownText.h"
#include "Widgets/StatusColors.h"
#include "Widgets/TextFit.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace Quorvel {

namespace {

// Room around the words inside the tinted shape.
constexpr int horizontalPadding = 4;
constexpr int verticalPadding = 1;
// Below the shape, for the dashed underline.
constexpr int underlineRoom = 2;
constexpr qreal cornerRadius = 5;
constexpr qreal underlineWidth = 1.2;
// Dash pattern in points: drawn, skipped (Qt counts dashes in pen widths).
constexpr qreal dashOn = 3;
constexpr qreal dashOff = 2;
// Tints of the shape: the accent at 10%, orange at 12%.
constexpr qreal accentTint = 0.10;
constexpr qreal warningTint = 0.12;

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

Chip::Chip(const QString &label, bool editable, bool warning, QWidget *parent)
    : QAbstractButton(parent), m_editable(editable), m_warning(warning)
{
    setText(ShownText::withHiddenShown(label));
    setObjectName(QStringLiteral("chip"));
    setEnabled(true);
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(editable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (editable)
        setToolTip(tr("Change this"));
    setAccessibleName(text());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, &Chip::open);
}

void Chip::setLabel(const QString &label, bool warning)
{
    const QString shown = ShownText::withHiddenShown(label);
    if (shown == text() && warning == m_warning)
        return;
    m_warning = warning;
    setText(shown);
    m_sizeHint = QSize();
    setAccessibleName(shown);
    updateGeometry();
    update();
}

QFont Chip::labelFont() const
{
    QFont font = this->font();
    if (!m_editable)
        font.setWeight(QFont::DemiBold);
    return font;
}

QSize Chip::sizeHint() const
{
    if (!m_sizeHint.isValid()) {
        const QFontMetrics metrics(labelFont());
        const int pad = m_editable ? horizontalPadding : 0;
        m_sizeHint = QSize(metrics.horizontalAdvance(text()) + 2 * pad,
                           metrics.height() + 2 * verticalPadding + underlineRoom);
    }
    return m_sizeHint;
}

QSize Chip::minimumSizeHint() const
{
    const int pad = m_editable ? horizontalPadding : 0;
    const int least = QFontMetrics(labelFont()).horizontalAdvance(QStringLiteral("…")) + 2 * pad;
    return {std::min(least, sizeHint().width()), sizeHint().height()};
}

void Chip::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_sizeHint = QSize();
    QAbstractButton::changeEvent(event);
}

void Chip::open()
{
    if (!m_editable || !m_content || isShown())
        return;
    m_popover = new Popover(this, m_content(), m_popoverWidth);
    connect(m_popover, &Popover::closed, this, [this] {
        m_popover = nullptr;
        update();
        emit shownChanged(false);
    });
    m_popover->showBy(Popover::Side::below);
    update();
    emit shownChanged(true);
}

void Chip::closePopover()
{
    if (m_popover)
        m_popover->close();
}

void Chip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(labelFont());
    const QPalette &pal = palette();
    // Given less room than it asked for, the chip ends its words in "…".
    const int pad = m_editable ? horizontalPadding : 0;
    const QString shownText =
        width() < sizeHint().width()
            ? painter.fontMetrics().elidedText(text(), Qt::ElideRight, width() - 2 * pad)
            : text();
    TextFit::setOwnText(this, text(), shownText != text());
    if (!m_editable) {
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawText(rect().adjusted(0, 0, 0, -underlineRoom), Qt::AlignCenter, shownText);
        return;
    }
    const QColor accent = pal.color(QPalette::Highlight);
    const QColor orange = statusColor(StatusTone::orange, pal);
    const bool shown = isShown();
    const QRectF shape = QRectF(rect()).adjusted(0, 0, 0, -underlineRoom);
    QColor fill = shown       ? accent
                  : m_warning ? withAlpha(orange, warningTint)
                              : withAlpha(accent, accentTint);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius, cornerRadius);
    painter.fillPath(path, fill);
    const QColor ink = shown ? pal.color(QPalette::HighlightedText) : m_warning ? orange : accent;
    painter.setPen(ink);
    painter.drawText(shape, Qt::AlignCenter, shownText);
    if (!shown) {
        QPen pen(ink, underlineWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({dashOn / underlineWidth, dashOff / underlineWidth});
        painter.setPen(pen);
        const qreal y = shape.bottom();
        painter.drawLine(QPointF(horizontalPadding, y), QPointF(width() - horizontalPadding, y));
    }
}

} // namespace Quorvel

#include "QuorvelClientUI/Views/ControlRowLabel.h"

#include "Widgets/BusyIndicator.h"
#include "Widgets/ShownText.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"
#include "Widgets/TextFit.h"
#include "Widgets/TextStyle.h"

#include <QPainter>

namespace Quorvel {

namespace {

// The icon sits in a frame this wide, centred, so titles line up; then this much space.
constexpr int iconFrame = 22;
constexpr int iconSide = 16;
constexpr int iconSpacing = 10;
// Between the title and the badge, and between the badge's parts.
constexpr int titleSpacing = 2;
constexpr int badgeSpacing = 4;
constexpr int dotDiameter = 7;
constexpr int spinnerSide = 10;

} // namespace

ControlRowLabel::ControlRowLabel(const QString &symbol, const QString &title, bool hasBadge,
                                 QWidget *parent)
    : QWidget(parent), m_icon(SymbolIcons::pixmap(symbol, iconSide)), m_title(title),
      m_shownTitle(ShownText::oneLine(title)), m_hasBadge(hasBadge),
      m_badge(RemoteViewRules::badge(std::nullopt, false))
{
    applyTextStyle(this, TextStyle::caption);
    m_badgeFont = font();
    applyTextStyle(this, TextStyle::body);
    setAccessibleName(title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ControlRowLabel::setBadge(const RemoteViewRules::Badge &badge)
{
    if (badge == m_badge)
        return;
    m_badge = badge;
    const bool busy = m_hasBadge && badge.kind == RemoteViewRules::Badge::Kind::busy;
    if (busy && !m_spinner) {
        m_spinner = new BusyIndicator(spinnerSide, this);
        placeSpinner();
    }
    if (m_spinner)
        m_spinner->setVisible(busy);
    update();
}

QSize ControlRowLabel::sizeHint() const
{
    const int titleWidth = fontMetrics().horizontalAdvance(m_shownTitle);
    int height = qMax(fontMetrics().height(), iconSide);
    if (m_hasBadge)
        height = fontMetrics().height() + titleSpacing + QFontMetrics(m_badgeFont).height();
    return {iconFrame + iconSpacing + titleWidth, height};
}

QSize ControlRowLabel::minimumSizeHint() const
{
    return {iconFrame + iconSpacing, sizeHint().height()};
}

QRect ControlRowLabel::badgeRect() const
{
    const int top = fontMetrics().height() + titleSpacing;
    return {iconFrame + iconSpacing, top, width() - iconFrame - iconSpacing,
            QFontMetrics(m_badgeFont).height()};
}

void ControlRowLabel::placeSpinner()
{
    if (m_spinner) {
        const QRect badge = badgeRect();
        m_spinner->move(badge.left(), badge.center().y() - spinnerSide / 2);
    }
}

void ControlRowLabel::resizeEvent(QResizeEvent *)
{
    placeSpinner();
}

void ControlRowLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const int titleHeight = fontMetrics().height();
    const int iconTop = m_hasBadge ? (titleHeight - iconSide) / 2 : (height() - iconSide) / 2;
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    }
    painter.drawPixmap((iconFrame - iconSide) / 2, qMax(0, iconTop), m_icon);
    painter.setOpacity(1.0);

    const int textLeft = iconFrame + iconSpacing;
    const int textWidth = width() - textLeft;
    painter.setPen(palette().color(group, QPalette::WindowText));
    const QRect titleRect(textLeft, m_hasBadge ? 0 : (height() - titleHeight) / 2, textWidth,
                          titleHeight);
    const QString shownTitle = fontMetrics().elidedText(m_shownTitle, Qt::ElideRight, textWidth);
    TextFit::setOwnText(this, m_title, shownTitle != m_shownTitle);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownTitle);
    if (!m_hasBadge)
        return;

    const QRect badge = badgeRect();
    int textStart = badge.left() + spinnerSide + badgeSpacing;
    if (m_badge.kind == RemoteViewRules::Badge::Kind::dot) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(statusColor(m_badge.tone, palette()));
        painter.drawEllipse(
            QRectF(badge.left(), badge.center().y() - dotDiameter / 2.0, dotDiameter, dotDiameter));
        textStart = badge.left() + dotDiameter + badgeSpacing;
    }
    painter.setFont(m_badgeFont);
    painter.setPen(statusColor(StatusTone::secondary, palette()));
    const QRect textRect(textStart, badge.top(), badge.right() - textStart, badge.height());
    painter.drawText(
        textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(m_badgeFont).elidedText(m_badge.text, Qt::ElideRight, textRect.width()));
}

} // namespace Quorvel

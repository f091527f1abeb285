#include "Quorvel/Setup/RoleChoice.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"
#include "Widgets/SymbolLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr qreal cornerRadius = 10;
constexpr int padding = 12;
constexpr int rowSpacing = 12;
constexpr int lineSpacing = 4;
// The mark is drawn at the title 2 size.
constexpr int markSide = 22;
// The outline: strong and accent-coloured when ticked, faint when not.
constexpr qreal onStroke = 2;
constexpr qreal offStroke = 1;
constexpr qreal offStrokeOpacity = 0.3;

} // namespace

RoleChoice::RoleChoice(const QString &symbol, const QString &title, const QString &detail,
                       QWidget *parent)
    : QAbstractButton(parent), m_mark(new QLabel),
      m_title(new SymbolLabel(symbol, title, TextStyle::headline)),
      m_detail(new PlainLabel(detail, TextStyle::callout, StatusTone::secondary))
{
    setCheckable(true);
    setAccessibleName(title);
    setAccessibleDescription(detail);
    setCursor(Qt::PointingHandCursor);
    m_detail->setWrapping();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(rowSpacing);
    row->addWidget(m_mark, 0, Qt::AlignTop);
    auto *lines = new QVBoxLayout;
    lines->setSpacing(lineSpacing);
    lines->addWidget(m_title);
    lines->addWidget(m_detail);
    row->addLayout(lines, 1);
    // Clicks on the texts belong to the card.
    for (QWidget *child : {static_cast<QWidget *>(m_mark), static_cast<QWidget *>(m_title),
                           static_cast<QWidget *>(m_detail)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractButton::toggled, this, &RoleChoice::refreshMark);
    refreshMark();
}

QString RoleChoice::markSymbol() const
{
    return isChecked() ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
}

QString RoleChoice::title() const
{
    return m_title->text();
}

QString RoleChoice::detail() const
{
    return m_detail->text();
}

QSize RoleChoice::sizeHint() const
{
    return layout()->sizeHint();
}

QSize RoleChoice::minimumSizeHint() const
{
    return layout()->minimumSize();
}

void RoleChoice::refreshMark()
{
    const QColor colour = isChecked() ? palette().color(QPalette::Highlight)
                                      : statusColor(StatusTone::secondary, palette());
    m_mark->setPixmap(SymbolIcons::tinted(markSymbol(), markSide, colour));
    update();
}

void RoleChoice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = statusColor(StatusTone::secondary, palette());
    qreal width = offStroke;
    if (isChecked()) {
        colour = palette().color(QPalette::Highlight);
        width = onStroke;
    } else {
        colour.setAlphaF(offStrokeOpacity);
    }
    painter.setPen(QPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), cornerRadius,
                            cornerRadius);
}

} // namespace Quorvel

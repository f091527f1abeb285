#include "Widgets/SymbolLabel.h"

#include "Widgets/SymbolIcons.h"

#include <QFontMetrics>
#include <QHBoxLayout>

namespace Quorvel {

namespace {

// Space between the picture and the text.
constexpr int iconSpacing = 6;

} // namespace

SymbolLabel::SymbolLabel(const QString &symbol, const QString &text, TextStyle style,
                         StatusTone tone, QWidget *parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_text(new PlainLabel(text, style, tone, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(iconSpacing);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    set(symbol, text, tone);
}

void SymbolLabel::set(const QString &symbol, const QString &text, StatusTone tone)
{
    m_symbol = symbol;
    m_tone = tone;
    const int side = QFontMetrics(m_text->font()).height();
    m_icon->setPixmap(isColourTone(tone)
                          ? SymbolIcons::tinted(symbol, side, statusColor(tone, palette()))
                          : SymbolIcons::pixmap(symbol, side));
    m_icon->setFixedSize(side, side);
    m_icon->setAccessibleName(symbol);
    m_text->setText(text);
    applyTone(m_text, tone);
}

} // namespace Quorvel

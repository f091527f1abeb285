#include "Widgets/ProminentButton.h"

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace Quorvel {

namespace {

// The ring sits inside the button's own frame, clear of it by a pixel; two pixels thick it reads
// at a glance and still leaves the label room.
constexpr int ringInset = 3;
constexpr qreal ringWidth = 2.0;
constexpr qreal ringRadius = 3.0;

// Of the window's text and background (one dark, one light in every palette), the one that stands
// out more from the accent fill. The lettering's own colour is not enough: Breeze letters its
// light blue in white at 2.4:1, readable as text but faint as a thin line.
QColor ringColour(const QPalette &palette)
{
    const QColor fill = palette.color(QPalette::Button);
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return ColourContrast::ratio(text, fill) >= ColourContrast::ratio(window, fill) ? text : window;
}

} // namespace

ProminentButton::ProminentButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    applyAccent();
}

ProminentButton::ProminentButton(const QIcon &icon, const QString &text, QWidget *parent)
    : QPushButton(icon, text, parent)
{
    applyAccent();
}

void ProminentButton::applyAccent()
{
    QPalette palette = this->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Button, palette.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::ButtonText,
                         palette.color(group, QPalette::HighlightedText));
    }
    setPalette(palette);
}

void ProminentButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    QStyleOptionButton option;
    initStyleOption(&option);
    // As the style decides for its own mark: only once the keyboard has moved the focus.
    const QStyle::State keyboardFocus = QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    if ((option.state & keyboardFocus) != keyboardFocus)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ringColour(palette()), ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal half = ringWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(ringInset + half, ringInset + half,
                                                    -ringInset - half, -ringInset - half),
                            ringRadius, ringRadius);
}

} // namespace Quorvel

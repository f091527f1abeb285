#include "Widgets/ProminentButton.h"

#include "Widgets/FocusRing.h"

#include <QPainter>

namespace Quorvel {

namespace {

// The ring sits inside the button's own frame, clear of it by a pixel, and leaves the label room.
constexpr int ringInset = 3;

} // namespace

ProminentButton::ProminentButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    applyAccent();
    FocusRing::setDrawsOwnRing(this);
}

ProminentButton::ProminentButton(const QIcon &icon, const QString &text, QWidget *parent)
    : QPushButton(icon, text, parent)
{
    applyAccent();
    FocusRing::setDrawsOwnRing(this);
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
    if (!FocusRing::isShownOn(this))
        return;
    // Drawn over the accent fill, which also hides the style's own mark (a darker shade of it).
    QPainter painter(this);
    FocusRing::paint(painter, QRectF(rect()).adjusted(ringInset, ringInset, -ringInset, -ringInset),
                     FocusRing::colour(palette(), palette().color(QPalette::Button)));
}

} // namespace Quorvel

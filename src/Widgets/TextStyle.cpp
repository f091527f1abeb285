#include "Widgets/TextStyle.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QPair>
#include <QPalette>
#include <QWidget>

namespace Quorvel {

namespace {

// Sizes against the system font: captions smaller, titles larger.
constexpr qreal captionScale = 0.85;
constexpr qreal caption2Scale = 0.77;
constexpr qreal calloutScale = 0.93;
constexpr qreal titleScale = 1.25;
constexpr qreal largeScale = 15.0 / 13.0;

qreal textScale(TextStyle style)
{
    switch (style) {
    case TextStyle::caption:
        return captionScale;
    case TextStyle::caption2:
        return caption2Scale;
    case TextStyle::callout:
        return calloutScale;
    case TextStyle::title:
        return titleScale;
    case TextStyle::large:
        return largeScale;
    case TextStyle::body:
    case TextStyle::headline:
        break;
    }
    return 1.0;
}

QFont makeFont(TextStyle style, bool monospaced)
{
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                            : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFont base = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(base.pointSizeF() * textScale(style));
    } else if (base.pixelSize() > 0) {
        font.setPixelSize(qMax(1, qRound(base.pixelSize() * textScale(style))));
    }
    font.setBold(style == TextStyle::headline || style == TextStyle::title);
    return font;
}

} // namespace

void applyTextStyle(QWidget *widget, TextStyle style, bool monospaced)
{
    // Asking the platform for its fonts is slow next to making a row; a list of hundreds of
    // rows asks once per style. A font changed while running applies to views made after it.
    static QHash<QPair<int, bool>, QFont> made;
    const QPair<int, bool> key{int(style), monospaced};
    auto found = made.constFind(key);
    if (found == made.cend())
        found = made.insert(key, makeFont(style, monospaced));
    widget->setFont(*found);
}

void applyTone(QWidget *widget, StatusTone tone)
{
    // The tone is worked out from the colours the widget inherits, never from a tone set on it
    // before: secondary text after a red failure is the window's text faded, not faded red.
    const QPalette inherited =
        widget->parentWidget() ? widget->parentWidget()->palette() : QApplication::palette(widget);
    const QColor colour = statusColor(tone, inherited);
    QPalette palette = widget->palette();
    // The disabled group keeps the desktop's greyed text, so disabled rows still look disabled.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::Text, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

} // namespace Quorvel

#include "Widgets/TextStyle.h"

#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace Quorvel {

namespace {

// Sizes against the system font: captions smaller, titles larger.
constexpr qreal captionScale = 0.85;
constexpr qreal caption2Scale = 0.77;
constexpr qreal calloutScale = 0.93;
constexpr qreal titleScale = 1.25;

qreal scaleFor(TextStyle style)
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
    case TextStyle::body:
    case TextStyle::headline:
        break;
    }
    return 1.0;
}

} // namespace

void applyTextStyle(QWidget *widget, TextStyle style, bool monospaced)
{
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                            : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFont base = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(base.pointSizeF() * scaleFor(style));
    } else if (base.pixelSize() > 0) {
        font.setPixelSize(qMax(1, qRound(base.pixelSize() * scaleFor(style))));
    }
    font.setBold(style == TextStyle::headline || style == TextStyle::title);
    widget->setFont(font);
}

void applyTone(QWidget *widget, StatusTone tone)
{
    QPalette palette = widget->palette();
    const QColor colour = statusColor(tone, palette);
    // The disabled group keeps the desktop's greyed text, so disabled rows still look disabled.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::Text, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

} // namespace Quorvel

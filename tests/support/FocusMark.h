#pragma once

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QSize>

// What tests need to see whether a control shows that it has the keyboard's focus.
namespace FocusMark {

// The least contrast a focus mark needs against what it replaces to be seen (the WCAG figure for
// marks that are not text).
constexpr double visibleContrast = 3.0;

// A palette in Breeze's colours: its accent is a light blue lettered in white at only 2.4:1.
inline QPalette breezePalette(bool dark)
{
    QPalette palette;
    const QColor window = dark ? QColor(0x20, 0x23, 0x26) : QColor(0xef, 0xf0, 0xf1);
    const QColor text = dark ? QColor(0xfc, 0xfc, 0xfc) : QColor(0x23, 0x26, 0x29);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, dark ? QColor(0x14, 0x16, 0x18) : QColor(0xff, 0xff, 0xff));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, dark ? QColor(0x29, 0x2c, 0x30) : QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, dark ? QColor(0xfc, 0xfc, 0xfc) : Qt::white);
    return palette;
}

// The pixels that the focus changed, and changed enough to be seen.
inline int markedPixels(const QImage &focused, const QImage &unfocused)
{
    if (focused.size() != unfocused.size())
        return 0;
    int marked = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (Quorvel::ColourContrast::ratio(QColor(focused.pixel(x, y)),
                                               QColor(unfocused.pixel(x, y))) >= visibleContrast)
                ++marked;
        }
    }
    return marked;
}

// A mark is seen when it goes at least half way round the control (of size pixels).
inline bool isSeen(int marked, const QSize &size)
{
    return marked >= size.width() + size.height();
}

} // namespace FocusMark

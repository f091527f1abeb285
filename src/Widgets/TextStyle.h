#pragma once

#include "Widgets/StatusColors.h"

class QWidget;

namespace Quorvel {

// Text sizes relative to the system font, so the views follow the user's font settings. Each
// stands to the system font as its size in points stands to a 13-point system font; large is
// the 15-point text that reads a little bigger than the body without being a heading.
enum class TextStyle { body, headline, title, callout, caption, caption2, large };

// Sets the widget's font to the style (and to the system fixed font when monospaced).
void applyTextStyle(QWidget *widget, TextStyle style, bool monospaced = false);
// Sets the widget's text colour to the tone (none keeps the palette's).
void applyTone(QWidget *widget, StatusTone tone);

} // namespace Quorvel

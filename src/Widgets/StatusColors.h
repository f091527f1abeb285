#pragma once

#include <QColor>
#include <QPalette>

namespace Quorvel {

// The colours that carry meaning in the views: on or connected, needs the user, off, and the
// quiet colours of unknown or idle. Everything else comes from the desktop's palette.
enum class StatusTone { none, green, orange, red, purple, blue, yellow, gray, secondary, tertiary };

// The tone's colour for this palette; dark palettes get lighter variants so the colour stays
// readable on a dark window. none gives the palette's text colour.
QColor statusColor(StatusTone tone, const QPalette &palette);
// Whether the tone is one of the meaningful colours (not the text's own shades).
bool isColourTone(StatusTone tone);
// Whether the palette's window is dark.
bool isDarkPalette(const QPalette &palette);

} // namespace Quorvel

#pragma once

// Once at start, before the first icon is drawn: lets the icon table find the desktop's icons also
// where the platform names no theme (the offscreen platform, a bare X11 session).
namespace Quorvel::IconTheme {

// The theme every lookup falls back to, and the one used when the platform names none.
inline constexpr char fallbackTheme[] = "breeze";
inline constexpr char iconFolder[] = "/usr/share/icons";

void setUp();

} // namespace Quorvel::IconTheme

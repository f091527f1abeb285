#pragma once

class QWidget;

namespace Quorvel {

// Puts a window's frame in the middle of the primary screen's available area (the window
// manager may still place it elsewhere, on Wayland always).
void centreOnScreen(QWidget *window);

} // namespace Quorvel

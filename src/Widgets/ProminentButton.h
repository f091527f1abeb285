#pragma once

class QPushButton;

namespace Quorvel {

// Gives the button the window's accent: filled with the palette's highlight colour and lettered
// in its highlighted text, for the one or two actions a window leads with. Disabled, it looks
// as the desktop draws any disabled button.
void makeProminent(QPushButton *button);

} // namespace Quorvel

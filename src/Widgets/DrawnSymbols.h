#pragma once

#include <QIcon>
#include <QString>

// Pictures for the few symbols that no installed icon theme shows (a light bulb, a fan, a key...):
// drawn here as outlines in the text colour, so they sit among the theme's monochrome icons and
// follow a dark palette.
namespace Quorvel::DrawnSymbols {

// Whether the symbol has a drawing here.
bool draws(const QString &symbol);
// The drawing as an icon; a null icon for a symbol without one.
QIcon icon(const QString &symbol);

} // namespace Quorvel::DrawnSymbols

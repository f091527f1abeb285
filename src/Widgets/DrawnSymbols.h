#pragma once

#include <QIcon>
#include <QString>

// Pictures for the few symbols that no installed icon theme shows (a light bulb, a fan, a key...),
// for the warning and error signs, whose theme pictures keep their own colours, and for the marks
// in a circle (a check, an i), whose theme pictures are another shape: drawn here as outlines in
// the text colour, so they sit among the theme's monochrome icons, follow a dark palette and take a
// status colour's tint.
namespace Quorvel::DrawnSymbols {

// Whether the symbol has a drawing here.
bool draws(const QString &symbol);
// The drawing as an icon; a null icon for a symbol without one.
QIcon icon(const QString &symbol);

} // namespace Quorvel::DrawnSymbols

#pragma once

#include <QColor>

// How far two colours stand apart to the eye, as the WCAG contrast rule measures it: 1 for the
// same colour up to 21 for black on white. A mark that is not text needs 3 to be seen.
namespace Quorvel::ColourContrast {

// The relative luminance of an sRGB colour, 0 for black to 1 for white.
qreal luminance(const QColor &colour);
// The contrast ratio of two opaque colours, in either order.
qreal ratio(const QColor &one, const QColor &other);
// The grey that stands equally far from black and from white (about 4.6 to 1 from each), so it
// reads on a background of either.
QColor evenGrey();

} // namespace Quorvel::ColourContrast

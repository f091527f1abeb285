#pragma once

#include "Knobwire/Control.h"

#include <QList>

namespace Knobwire {

// Cleans a list of controls from another process: clipped texts, normalised values, unique
// non-empty ids (the first wins), meter channels 1 or 2, at most Limits::maxControls controls.
// Controls of unknown kinds stay; the order is kept.
QList<Control> sanitize(const QList<Control> &controls);

} // namespace Knobwire

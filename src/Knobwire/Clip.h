#pragma once

#include <QString>

namespace Knobwire {

// Drops control characters and bidirectional marks, then keeps at most `limit` Unicode scalars.
// Texts from other processes go through this before they are shown or stored, so that they can
// neither reorder what a reader sees nor carry line breaks into logs and lines.
QString clip(const QString &text, qsizetype limit);

} // namespace Knobwire

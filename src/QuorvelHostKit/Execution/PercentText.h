#pragma once

#include <QString>

namespace Quorvel {

// A level of 0 to 1 as a whole percentage: 0.5 gives "50%", 0.125 "13%" (halves away from zero).
// Values outside that range are written the same way and never overflow.
QString percentText(double level);

} // namespace Quorvel

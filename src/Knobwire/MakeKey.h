#pragma once

#include <QString>

namespace Knobwire {

// A fresh key for one start of a provider: 32 lowercase hexadecimal digits from the system's
// secure random generator.
QString makeKey();

} // namespace Knobwire

#include "QuorvelHostKit/Execution/PercentText.h"

#include <cmath>

namespace Quorvel {

namespace {
constexpr double percentPerUnit = 100;
} // namespace

QString percentText(double level)
{
    // Printed from the rounded double itself, so no value needs to fit an integer; adding zero
    // turns a negative zero into "0".
    const double percent = std::round(level * percentPerUnit) + 0.0;
    return QString::number(percent, 'f', 0) + u'%';
}

} // namespace Quorvel

#include "QuorvelHostKit/Execution/TimerLimits.h"

#include <cmath>

namespace Quorvel {

namespace {
constexpr double millisecondsPerSecond = 1000.0;
} // namespace

double clampedTimerSeconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    return seconds < maximumTimerSeconds ? seconds : maximumTimerSeconds;
}

int timerMilliseconds(double seconds)
{
    return static_cast<int>(std::ceil(clampedTimerSeconds(seconds) * millisecondsPerSecond));
}

} // namespace Quorvel

#pragma once

#include <chrono>
#include <functional>

namespace Quorvel {

// The monotonic time the host's link limits are measured in; tests hand in a clock of their own.
using LinkClock = std::function<std::chrono::steady_clock::time_point()>;

inline LinkClock systemLinkClock()
{
    return [] { return std::chrono::steady_clock::now(); };
}

} // namespace Quorvel

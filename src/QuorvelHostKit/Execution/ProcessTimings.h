#pragma once

#include <chrono>

namespace Quorvel {

// The fixed waits of a program run; tests shorten them.
struct ProcessTimings {
    // How long output is still read after the program exited: a background program it started
    // may hold the pipes open for good.
    std::chrono::milliseconds drainLimit{2000};
    // The grace between the polite and the forced stop of a program that overran its time-out.
    std::chrono::milliseconds killGrace{2000};
};

} // namespace Quorvel

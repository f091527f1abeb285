#pragma once

namespace Quorvel {

// Time-outs and intervals come from the deck, which is untrusted: whatever reaches a timer is
// clamped to a finite range so that no conversion overflows.

// The longest time-out or interval a timer is given.
inline constexpr double maximumTimerSeconds = 24.0 * 60 * 60;

// seconds clamped to 0 ... maximumTimerSeconds; NaN and negative values give 0.
double clampedTimerSeconds(double seconds);

// The clamped seconds as whole milliseconds for a timer, rounded up so no timer fires early.
int timerMilliseconds(double seconds);

} // namespace Quorvel

#pragma once

#include <chrono>

#include <qcoro/qcorotask.h>

namespace Quorvel {

// Suspends the calling coroutine for duration on the event loop, without the slack that Qt
// allows ordinary timers.
QCoro::Task<> preciseSleep(std::chrono::milliseconds duration);

} // namespace Quorvel

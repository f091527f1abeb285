#pragma once

#include <QtGlobal>

namespace Quorvel {

// What the host does when a recheck finds it still cannot be seen on the local network.
enum class RecheckStep { readvertise, restartListener };

// While the host cannot be seen, every this-many-th recheck restarts the listener instead of
// only advertising again.
inline constexpr qint64 listenerRestartEvery = 4;

// The step for recheck number attempt (from 1). Paired devices that are connected evidently
// reach the host, and a restart would only drop them: while any are there, advertise again.
RecheckStep recheckStep(qint64 attempt, qsizetype connectedPairedDevices);

} // namespace Quorvel

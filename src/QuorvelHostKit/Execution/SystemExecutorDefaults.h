#pragma once

namespace Quorvel::SystemExecutorDefaults {

// Seconds an action may run when it sets no time-out of its own.
inline constexpr double timeout = 60.0;
// Seconds a shell status check may run: checks repeat, so a stuck one must not pile up.
inline constexpr double checkTimeout = 15.0;
// Seconds the process lookup may take; it only reads the process table.
inline constexpr double processLookupTimeout = 5.0;
// Seconds the listing of the user's shortcuts may take.
inline constexpr double shortcutListTimeout = 20.0;

} // namespace Quorvel::SystemExecutorDefaults

#pragma once

#include <QDBusUnixFileDescriptor>
#include <QString>

#include <chrono>
#include <optional>

namespace Quorvel {

// Inhibitor locks of systemd-logind on the system bus. logind holds back what a lock names
// ("idle", "sleep", "shutdown", ...) for as long as the descriptor it hands out stays open;
// destroying the last copy of the returned descriptor releases the lock.
class LogindInhibitor {
public:
    // logind answers at once; a bus that does not answer must not stall the caller for long.
    static constexpr std::chrono::milliseconds callTimeout{2000};

    // Asks logind for a lock (Manager.Inhibit with what, who, why and mode). None when there is
    // no system bus or logind, or it refuses or does not answer in time; that is logged.
    static std::optional<QDBusUnixFileDescriptor> inhibit(const QString &what, const QString &who,
                                                          const QString &why, const QString &mode);
};

} // namespace Quorvel

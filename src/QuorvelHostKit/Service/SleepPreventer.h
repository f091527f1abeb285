#pragma once

#include <QDBusUnixFileDescriptor>

#include <optional>

namespace Quorvel {

// Keeps the machine from idle sleep while the host is meant to stay reachable, through one logind
// "idle" inhibitor lock; sleep that the user asks for still happens. One owner, one thread.
class SleepPreventer {
public:
    // What the desktop shows as the reason for the lock.
    static constexpr char reason[] = "Quorvel keeps this Mac awake so your devices can reach it";

    SleepPreventer() = default;
    SleepPreventer(const SleepPreventer &) = delete;
    SleepPreventer &operator=(const SleepPreventer &) = delete;

    // On takes the lock unless one is held (never a second); off releases a held one. When
    // logind is missing or refuses, nothing is held and the next call with true tries again.
    void setActive(bool active);
    bool isActive() const { return m_assertion.has_value(); }

private:
    // The open lock descriptor; closing it (destroying it) ends the lock.
    std::optional<QDBusUnixFileDescriptor> m_assertion;
};

} // namespace Quorvel

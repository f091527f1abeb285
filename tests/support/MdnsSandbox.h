#pragma once

#include <QString>

namespace Quorvel::Testing {

// Tests that need a real avahi-daemon run inside scripts/sandbox-mdns.sh, which names its daemon
// configuration in QUORVEL_AVAHI_CONFIG. Outside the sandbox they skip, and these helpers refuse
// to act: no daemon is ever started or stopped in the machine's own namespace.
bool inMdnsSandbox();

// Stops the sandbox's avahi-daemon and waits until it is gone.
bool stopAvahiDaemon();

// Starts the sandbox's avahi-daemon again and waits until it answers.
bool startAvahiDaemon();

// Stops the sandbox's system bus; avahi-daemon ends with it.
bool stopSystemBus();

// Starts the sandbox's system bus and then avahi-daemon again.
bool startSystemBus();

// Brings back whatever an earlier test stopped (and left stopped when it failed half-way).
bool ensureDaemonsRunning();

} // namespace Quorvel::Testing

// Skips the current test function unless it runs inside the mDNS sandbox.
#define QUORVEL_REQUIRE_MDNS_SANDBOX()                                                             \
    do {                                                                                           \
        if (!Quorvel::Testing::inMdnsSandbox())                                                    \
            QSKIP("needs scripts/sandbox-mdns.sh");                                                \
    } while (false)

// Brings the sandbox's daemons back after each test function (use it as the body of cleanup()):
// a test that stops a daemon and fails half-way must not take the later ones down with it.
#define QUORVEL_RESTORE_MDNS_DAEMONS()                                                             \
    do {                                                                                           \
        if (Quorvel::Testing::inMdnsSandbox())                                                     \
            QVERIFY(Quorvel::Testing::ensureDaemonsRunning());                                     \
    } while (false)

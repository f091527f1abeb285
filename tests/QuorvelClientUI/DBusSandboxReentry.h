#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace Quorvel::ClientTest {

// The mDNS sandbox has no session bus, and pairing codes need the keyring of the D-Bus sandbox:
// a test that needs both runs itself again inside that one. Returns only when it already runs
// there (or outside the test harness), or with the exit status of a failed re-run.
inline int reenterDBusSandbox(int argc, char *argv[])
{
    const char *source = std::getenv("QUORVEL_SOURCE_DIR");
    if (!source || std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return 0;
    const std::string script = std::string(source) + "/scripts/sandbox-dbus.sh";
    std::vector<char *> arguments{const_cast<char *>(script.c_str())};
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(script.c_str(), arguments.data());
    // The exit status of a program that could not be started, as the shell gives it.
    return 127;
}

} // namespace Quorvel::ClientTest

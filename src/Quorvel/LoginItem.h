#pragma once

namespace Quorvel {

class LoginAgentUnit;

// Turns start at login on (registers and enables the agent's unit) or off. A failure is logged
// and goes no further: callers read the status again and show what systemd says.
void setStartsAtLogin(const LoginAgentUnit &unit, bool on);

} // namespace Quorvel

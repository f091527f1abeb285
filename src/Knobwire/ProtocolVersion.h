#pragma once

namespace Knobwire {

// The version of the line vocabulary that both ends speak; sent in hellos and announcements.
// Consumers link only to providers that announce this version or a later one.
inline constexpr int protocolVersion = 3;

} // namespace Knobwire

#pragma once

#include <chrono>

namespace Quorvel {

// The wait before the next attempt after `current`: doubled, but never beyond `maximum`.
constexpr std::chrono::milliseconds nextRetryDelay(std::chrono::milliseconds current,
                                                   std::chrono::milliseconds maximum)
{
    return current >= maximum / 2 ? maximum : current * 2;
}

} // namespace Quorvel

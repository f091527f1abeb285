#include "QuorvelCore/Link/OutgoingWatchdog.h"

namespace Quorvel {

OutgoingWatchdog::OutgoingWatchdog(Limits limits, std::chrono::steady_clock::time_point now)
    : m_limits(limits), m_lastProgress(now)
{}

void OutgoingWatchdog::noteProgress(std::chrono::steady_clock::time_point now)
{
    m_lastProgress = now;
}

OutgoingWatchdog::Verdict OutgoingWatchdog::check(qint64 queuedBytes,
                                                  std::chrono::steady_clock::time_point now)
{
    if (queuedBytes > m_limits.maxQueuedBytes)
        return Verdict::overLimit;
    if (queuedBytes == 0) {
        m_lastProgress = now;
        return Verdict::fine;
    }
    if (now - m_lastProgress >= m_limits.stallTimeout)
        return Verdict::stalled;
    return Verdict::fine;
}

} // namespace Quorvel

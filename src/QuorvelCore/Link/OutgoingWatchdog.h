#pragma once

#include <QtGlobal>

#include <chrono>

namespace Quorvel {

// Watches one link's outgoing queue (bytes handed to the socket but not yet sent): a peer that
// stops reading must not make the host hold an ever growing queue for it, nor a link that has
// sent nothing for a long time while bytes wait.
class OutgoingWatchdog {
public:
    struct Limits {
        // Several of the largest messages (1 MiB) fit, so a slow but living link is never cut
        // for a burst such as a deck broadcast right after a state update.
        qint64 maxQueuedBytes = 4 * 1024 * 1024;
        // A peer on a living network takes bytes within seconds; TCP's own retries give up later.
        std::chrono::milliseconds stallTimeout{std::chrono::seconds(30)};
    };

    enum class Verdict { fine, overLimit, stalled };

    OutgoingWatchdog(Limits limits, std::chrono::steady_clock::time_point now);

    // Some bytes went out.
    void noteProgress(std::chrono::steady_clock::time_point now);
    // The judgement for a queue of `queuedBytes` now. An empty queue counts as progress: a link
    // with nothing to send is idle, not stalled.
    Verdict check(qint64 queuedBytes, std::chrono::steady_clock::time_point now);

private:
    Limits m_limits;
    std::chrono::steady_clock::time_point m_lastProgress;
};

} // namespace Quorvel

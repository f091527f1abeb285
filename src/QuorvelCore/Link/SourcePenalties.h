#pragma once

#include "QuorvelCore/Link/LinkClock.h"

#include <QHash>
#include <QHostAddress>

#include <chrono>

namespace Quorvel {

// Failed authentications counted per source address (a wrong code in the TLS handshake, a wrong
// proof, no hello in time). Past a few free failures every further one shuts the address out for
// twice as long as the one before, up to a ceiling; a quiet period without failures forgives all.
// Guessing codes from one address thus slows to a few tries a minute, and other addresses are
// never slowed by it.
class SourcePenalties {
public:
    struct Policy {
        // A person mistyping the code, or a device still holding a replaced one, is never slowed.
        int freeFailures = 8;
        std::chrono::milliseconds firstPenalty{std::chrono::seconds(1)};
        // Long enough to make guessing hopeless, short enough for a person who has just typed
        // the right code after many wrong ones.
        std::chrono::milliseconds maxPenalty{std::chrono::seconds(30)};
        std::chrono::milliseconds quietPeriod{std::chrono::minutes(5)};
        // Addresses remembered at most; the ones whose last failure is oldest are forgotten
        // first, so a peer with endless addresses cannot grow the table.
        int maxSources = 4096;
    };

    SourcePenalties();
    SourcePenalties(Policy policy, LinkClock clock);

    void setPolicy(const Policy &policy) { m_policy = policy; }
    const Policy &policy() const { return m_policy; }
    void setClock(LinkClock clock) { m_clock = std::move(clock); }
    std::chrono::steady_clock::time_point now() const { return m_clock(); }

    // Counts one failure and returns the penalty it starts (zero while failures are free).
    std::chrono::milliseconds recordFailure(const QHostAddress &source);
    // How much longer connections from `source` are refused; zero when they are welcome.
    std::chrono::milliseconds remaining(const QHostAddress &source) const;
    // Failures counted since the source's last quiet period.
    int failures(const QHostAddress &source) const;

private:
    struct Record {
        int failures = 0;
        std::chrono::steady_clock::time_point lastFailure;
        std::chrono::steady_clock::time_point refusedUntil;
    };

    std::chrono::milliseconds penaltyFor(int failures) const;
    bool isQuiet(const Record &record, std::chrono::steady_clock::time_point now) const;
    void makeRoom(std::chrono::steady_clock::time_point now);

    Policy m_policy;
    LinkClock m_clock;
    QHash<QHostAddress, Record> m_records;
};

} // namespace Quorvel

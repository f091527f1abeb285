#include "QuorvelCore/Link/SourcePenalties.h"

#include <algorithm>
#include <utility>

namespace Quorvel {

namespace {

// Doublings after which the penalty is at any sensible ceiling; keeps the shift defined.
constexpr int maxDoublings = 30;

} // namespace

SourcePenalties::SourcePenalties() : SourcePenalties(Policy{}, systemLinkClock()) {}

SourcePenalties::SourcePenalties(Policy policy, LinkClock clock)
    : m_policy(policy), m_clock(std::move(clock))
{}

std::chrono::milliseconds SourcePenalties::recordFailure(const QHostAddress &source)
{
    const auto now = m_clock();
    auto it = m_records.find(source);
    if (it == m_records.end()) {
        makeRoom(now);
        it = m_records.insert(source, Record{});
    } else if (isQuiet(*it, now)) {
        *it = Record{};
    }
    ++it->failures;
    it->lastFailure = now;
    const std::chrono::milliseconds penalty = penaltyFor(it->failures);
    it->refusedUntil = now + penalty;
    return penalty;
}

std::chrono::milliseconds SourcePenalties::remaining(const QHostAddress &source) const
{
    const auto it = m_records.constFind(source);
    if (it == m_records.cend())
        return std::chrono::milliseconds(0);
    const auto now = m_clock();
    if (it->refusedUntil <= now)
        return std::chrono::milliseconds(0);
    return std::chrono::ceil<std::chrono::milliseconds>(it->refusedUntil - now);
}

int SourcePenalties::failures(const QHostAddress &source) const
{
    const auto it = m_records.constFind(source);
    if (it == m_records.cend() || isQuiet(*it, m_clock()))
        return 0;
    return it->failures;
}

std::chrono::milliseconds SourcePenalties::penaltyFor(int failures) const
{
    const int counted = failures - m_policy.freeFailures;
    if (counted <= 0)
        return std::chrono::milliseconds(0);
    const int doublings = std::min(counted - 1, maxDoublings);
    const std::chrono::milliseconds penalty = m_policy.firstPenalty * (qint64(1) << doublings);
    return std::min(penalty, m_policy.maxPenalty);
}

bool SourcePenalties::isQuiet(const Record &record, std::chrono::steady_clock::time_point now) const
{
    return now - record.lastFailure >= m_policy.quietPeriod;
}

void SourcePenalties::makeRoom(std::chrono::steady_clock::time_point now)
{
    m_records.removeIf([this, now](const auto &entry) {
        return isQuiet(entry.value(), now) && entry.value().refusedUntil <= now;
    });
    while (m_records.size() >= m_policy.maxSources) {
        const auto oldest = std::min_element(
            m_records.cbegin(), m_records.cend(),
            [](const Record &a, const Record &b) { return a.lastFailure < b.lastFailure; });
        m_records.erase(oldest);
    }
}

} // namespace Quorvel

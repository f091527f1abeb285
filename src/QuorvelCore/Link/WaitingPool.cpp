#include "QuorvelCore/Link/WaitingPool.h"

namespace Quorvel {

WaitingPool::WaitingPool(Limits limits) : m_limits(limits) {}

QHostAddress WaitingPool::sourceOf(const QHostAddress &peer)
{
    bool isIPv4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&isIPv4);
    if (isIPv4)
        return QHostAddress(ipv4);
    QHostAddress plain = peer;
    // The interface a link-local peer came in on does not make it another source.
    plain.setScopeId(QString());
    return plain;
}

WaitingPool::Admission WaitingPool::admit(const QHostAddress &source) const
{
    const qsizetype own = count(source);
    if (own >= m_limits.perSource)
        return {Admission::Kind::sourceFull, std::nullopt, own};
    if (m_entries.size() < m_limits.total)
        return {};

    qsizetype busiest = 0;
    for (const Entry &entry : m_entries)
        busiest = std::max(busiest, count(entry.source));
    if (own + 1 > busiest)
        return {Admission::Kind::poolFull, std::nullopt, m_entries.size()};
    // Entries are oldest first, so the first of a busiest address is that address's oldest, and
    // of several equally busy addresses the one that has waited longest gives way.
    for (const Entry &entry : m_entries) {
        if (count(entry.source) == busiest)
            return {Admission::Kind::admit, entry.id, m_entries.size()};
    }
    return {Admission::Kind::poolFull, std::nullopt, m_entries.size()};
}

void WaitingPool::add(const QUuid &id, const QHostAddress &source)
{
    m_entries.append(Entry{id, source});
}

void WaitingPool::remove(const QUuid &id)
{
    m_entries.removeIf([&id](const Entry &entry) { return entry.id == id; });
}

qsizetype WaitingPool::count(const QHostAddress &source) const
{
    return std::count_if(m_entries.cbegin(), m_entries.cend(),
                         [&source](const Entry &entry) { return entry.source == source; });
}

} // namespace Quorvel

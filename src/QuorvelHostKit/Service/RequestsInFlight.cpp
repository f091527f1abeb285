#include "QuorvelHostKit/Service/RequestsInFlight.h"

#include <utility>

namespace Quorvel {

RequestsInFlight::Ticket::Ticket(std::shared_ptr<QHash<QUuid, int>> counts, QUuid link)
    : m_counts(std::move(counts)), m_link(link)
{
    ++(*m_counts)[m_link];
}

RequestsInFlight::Ticket::Ticket(Ticket &&other) noexcept
    : m_counts(std::exchange(other.m_counts, nullptr)), m_link(other.m_link)
{}

RequestsInFlight::Ticket::~Ticket()
{
    if (!m_counts)
        return;
    const auto it = m_counts->find(m_link);
    if (it != m_counts->end() && --it.value() <= 0)
        m_counts->erase(it);
}

std::optional<RequestsInFlight::Ticket> RequestsInFlight::enter(const QUuid &link)
{
    if (count(link) >= maxPerLink)
        return std::nullopt;
    return Ticket(m_counts, link);
}

} // namespace Quorvel

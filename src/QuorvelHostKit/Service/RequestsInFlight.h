#pragma once

#include <QHash>
#include <QUuid>

#include <memory>
#include <optional>

namespace Quorvel {

// The requests of each link that the host is still working on. A device that sends request after
// request without waiting for the answers is turned away past maxPerLink, instead of piling up
// work and memory on the host.
class RequestsInFlight {
public:
    // Far more than a person can start by hand before the first answers arrive.
    static constexpr int maxPerLink = 16;
    // The code of the error that turns a request away.
    static constexpr char refusalCode[] = "too_many_requests";

    // Holds one request's place until it is destroyed; it may outlive the counter.
    class Ticket {
    public:
        Ticket(Ticket &&other) noexcept;
        Ticket &operator=(Ticket &&) = delete;
        Ticket(const Ticket &) = delete;
        Ticket &operator=(const Ticket &) = delete;
        ~Ticket();

    private:
        friend class RequestsInFlight;
        Ticket(std::shared_ptr<QHash<QUuid, int>> counts, QUuid link);

        std::shared_ptr<QHash<QUuid, int>> m_counts;
        QUuid m_link;
    };

    // A place for one more request of the link; nothing when it has maxPerLink already.
    std::optional<Ticket> enter(const QUuid &link);
    int count(const QUuid &link) const { return m_counts->value(link); }

private:
    std::shared_ptr<QHash<QUuid, int>> m_counts = std::make_shared<QHash<QUuid, int>>();
};

} // namespace Quorvel

#pragma once

#include <QHostAddress>
#include <QList>
#include <QUuid>

#include <optional>

namespace Quorvel {

// The connections that wait to pair (accepted, not yet authenticated), by source address, and who
// makes room for whom. No address may hold more than `perSource` of them; when all `total` places
// are taken, a newcomer from an address that holds fewer than the busiest address takes the place
// of that address's oldest connection. So one address, or a few, can never keep another out.
class WaitingPool {
public:
    struct Limits {
        int perSource;
        int total;
    };

    struct Admission {
        enum class Kind {
            // Take the connection; if `evict` is set, that waiting connection gives up its place.
            admit,
            // The source already holds perSource waiting connections.
            sourceFull,
            // Every place is taken by addresses holding no more than the source does.
            poolFull,
        };
        Kind kind = Kind::admit;
        std::optional<QUuid> evict;
        // For the log: the source's waiting connections (sourceFull) or all of them (poolFull).
        qsizetype waiting = 0;
    };

    explicit WaitingPool(Limits limits);

    // The one form of an address the pool and the penalties count by: an IPv4 peer of the
    // dual-stack listener arrives as an IPv4-mapped IPv6 address.
    static QHostAddress sourceOf(const QHostAddress &peer);

    // What to do with a new connection from `source`; changes nothing.
    Admission admit(const QHostAddress &source) const;
    void add(const QUuid &id, const QHostAddress &source);
    // Forgets the connection, if it waits.
    void remove(const QUuid &id);
    void clear() { m_entries.clear(); }

    qsizetype size() const { return m_entries.size(); }
    qsizetype count(const QHostAddress &source) const;
    const Limits &limits() const { return m_limits; }

private:
    struct Entry {
        QUuid id;
        QHostAddress source;
    };

    Limits m_limits;
    // Oldest first.
    QList<Entry> m_entries;
};

} // namespace Quorvel

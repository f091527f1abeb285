#pragma once

#include "RawLinkPeer.h"

#include <QList>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

namespace Quorvel::LinkTest {

// Hostile peers that each hold one connection open without a word, reopened as soon as the host
// closes it.
class HostileCrowd {
public:
    // How often peers that were closed are replaced, as an attacker's loop would.
    static constexpr std::chrono::milliseconds reopenInterval{10};

    HostileCrowd(quint16 port, const QList<QHostAddress> &sources, int perSource) : m_port(port)
    {
        for (const QHostAddress &source : sources) {
            for (int i = 0; i < perSource; ++i)
                m_peers.push_back(open(source));
        }
        QObject::connect(&m_reopen, &QTimer::timeout, [this] { reopenClosed(); });
        m_reopen.start(reopenInterval);
    }

    int reopened() const { return m_reopened; }

private:
    struct Slot {
        QHostAddress source;
        std::unique_ptr<RawLinkPeer> peer;
    };

    Slot open(const QHostAddress &source)
    {
        Slot slot{source, std::make_unique<RawLinkPeer>(source)};
        slot.peer->connectPlain(m_port);
        return slot;
    }

    void reopenClosed()
    {
        for (Slot &slot : m_peers) {
            if (slot.peer->isDisconnected() ||
                slot.peer->socket().state() == QAbstractSocket::UnconnectedState) {
                slot = open(slot.source);
                ++m_reopened;
            }
        }
    }

    quint16 m_port;
    std::vector<Slot> m_peers;
    QTimer m_reopen;
    int m_reopened = 0;
};

} // namespace Quorvel::LinkTest

#pragma once

#include "Knobwire/LineConnection.h"
#include "Knobwire/Message.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

namespace Knobwire {

// Routes the messages and the end of `peer`'s connection to `owner`, and fails the connection
// with `lateText` unless `peer` is ready within `handshakeLimit`. Either of the two may be gone by
// the time the connection reports (both are freed with deleteLater() from inside callbacks), so
// a report reaches the owner only while both live.
template<typename Owner, typename Peer>
void wirePeer(Owner *owner, Peer *peer, void (Owner::*handle)(const Message &, Peer *),
              void (Owner::*closed)(Peer *), std::chrono::milliseconds handshakeLimit,
              const QString &lateText)
{
    const QPointer<Owner> self(owner);
    const QPointer<Peer> weakPeer(peer);
    LineConnection &connection = *peer->connection;
    connection.onMessage = [self, weakPeer, handle](const Message &message) {
        if (self && weakPeer) {
            (self.data()->*handle)(message, weakPeer.data());
        }
    };
    connection.onClose = [self, weakPeer, closed] {
        if (self && weakPeer) {
            (self.data()->*closed)(weakPeer.data());
        }
    };
    QObject::connect(&peer->handshakeTimeout, &QTimer::timeout, peer, [peer, lateText] {
        if (!peer->ready) {
            peer->connection->fail(lateText);
        }
    });
    peer->handshakeTimeout.start(handshakeLimit);
}

} // namespace Knobwire

#pragma once

#include "Knobwire/Discovery.h"

#include <QMutex>
#include <QString>

#include <optional>
#include <utility>

class QTcpServer;

namespace Knobwire {

// A provider's current listener and the goodbye that is owed while it listens. When the handle
// goes away with its provider it cancels the listener and posts that goodbye, so a provider
// dropped without being stopped still tells its consumers it is gone.
class ListenerHandle {
public:
    using Goodbye = std::pair<Discovery, QString>;

    ListenerHandle() = default;
    ~ListenerHandle();
    ListenerHandle(const ListenerHandle &) = delete;
    ListenerHandle &operator=(const ListenerHandle &) = delete;

    // Takes `listener` as the current one with its goodbye; a different previous listener is
    // cancelled.
    void set(QTcpServer *listener, std::optional<Goodbye> goodbye);
    // Cancels the current listener and forgets the goodbye.
    void clear();
    // The listener in use, to tell late events of a replaced listener apart.
    QTcpServer *current() const;

private:
    static void cancel(QTcpServer *listener);

    mutable QMutex m_lock;
    QTcpServer *m_current = nullptr;
    std::optional<Goodbye> m_goodbye;
};

} // namespace Knobwire

#pragma once

#include "Platform/Power/IdleInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

#include <chrono>
#include <functional>
#include <memory>
#include <variant>

namespace Quorvel {

// One inhibit call on a D-Bus bus, answered later on the event loop. The request is shared with
// its reply's handler, which outlives the inhibitor when the reply is still to come: a lock that
// arrives after it is no longer wanted is handed back at once.
class InhibitRequest {
public:
    // Lets go of a held lock.
    using Unlock = std::function<void()>;
    // A successful reply's lock, or why it holds none.
    using Reading = std::variant<Unlock, QString>;
    using Reader = std::function<Reading(const QDBusPendingCall &reply)>;
    // How a failed call is told to the asker.
    using Refusal = std::function<QString(const QDBusError &error)>;

    struct Call {
        QDBusConnection bus;
        // "session" or "system", for the answer when the bus is not there.
        QString busName;
        QDBusMessage message;
        std::chrono::milliseconds timeout;
        Reader read;
        Refusal refuse;
    };

    // Sends the call; answer follows exactly once unless release() comes first.
    static std::shared_ptr<InhibitRequest> send(const Call &call, IdleInhibitor::Answer answer);

    // Gives up the lock, or the lock still to come. No answer follows.
    void release();

private:
    void finish(const QDBusPendingCall &reply, const Reader &read, const Refusal &refuse);

    IdleInhibitor::Answer m_answer;
    Unlock m_unlock;
    bool m_wanted = true;
};

} // namespace Quorvel

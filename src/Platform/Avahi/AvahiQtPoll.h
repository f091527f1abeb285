#pragma once

#include <avahi-common/watch.h>

namespace Quorvel {

// Avahi's poll interface served by the Qt event loop of the thread that makes it: a
// QSocketNotifier per watched direction and a QTimer per timeout. Every Avahi object made with it
// must be freed before it, on the same thread.
class AvahiQtPoll {
public:
    AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll &) = delete;
    AvahiQtPoll &operator=(const AvahiQtPoll &) = delete;

    const AvahiPoll *poll() const { return &m_poll; }

private:
    AvahiPoll m_poll;
};

} // namespace Quorvel

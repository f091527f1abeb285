#include "QuorvelHostKit/Execution/DescriptorWatcher.h"

#include <QCoreApplication>

#include <array>
#include <cerrno>
#include <sys/epoll.h>
#include <unistd.h>

namespace Quorvel {

namespace {
// Events taken per round; more wait for the next round of the event loop.
constexpr int eventsPerRound = 64;
} // namespace

DescriptorWatcher &DescriptorWatcher::instance()
{
    static DescriptorWatcher watcher;
    return watcher;
}

DescriptorWatcher::DescriptorWatcher() : m_epoll(::epoll_create1(EPOLL_CLOEXEC))
{
    if (m_epoll < 0)
        return;
    // Owned by the application, so it goes with the event loop it belongs to.
    m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] { dispatch(); });
}

bool DescriptorWatcher::watch(int fd, Handler handler)
{
    if (m_epoll < 0)
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0)
        return false;
    if (size_t(fd) >= m_handlers.size())
        m_handlers.resize(size_t(fd) + 1);
    m_handlers[size_t(fd)] = std::make_shared<Handler>(std::move(handler));
    return true;
}

void DescriptorWatcher::unwatch(int fd)
{
    if (fd < 0 || size_t(fd) >= m_handlers.size() || !m_handlers[size_t(fd)])
        return;
    m_handlers[size_t(fd)].reset();
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

void DescriptorWatcher::dispatch()
{
    std::array<epoll_event, eventsPerRound> events;
    int count;
    do {
        count = ::epoll_wait(m_epoll, events.data(), eventsPerRound, 0);
    } while (count < 0 && errno == EINTR);
    for (int i = 0; i < count; ++i) {
        // A handler may unwatch, close and even reuse descriptors that come later in this round;
        // each is looked up afresh, and kept alive while it runs.
        const auto fd = size_t(events[i].data.fd);
        if (fd >= m_handlers.size() || !m_handlers[fd])
            continue;
        const std::shared_ptr<Handler> handler = m_handlers[fd];
        (*handler)();
    }
}

} // namespace Quorvel

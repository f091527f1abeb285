#pragma once

#include <QPointer>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <vector>

namespace Quorvel {

// Watches the descriptors of every running program (output pipes, process descriptors) through
// one epoll descriptor, which the event loop watches with a single notifier. Adding and removing
// a descriptor then costs one system call, not a change of the event loop's own poll set with
// its wake-ups; polling a hundred status checks stays cheap. Main thread only.
class DescriptorWatcher {
public:
    using Handler = std::function<void()>;

    static DescriptorWatcher &instance();

    // Calls handler, from the event loop, whenever fd is readable (also spuriously: handlers
    // must tolerate a call with nothing to read). False when fd cannot be watched.
    bool watch(int fd, Handler handler);
    // Stops watching fd; call before closing it.
    void unwatch(int fd);

private:
    DescriptorWatcher();

    void dispatch();

    int m_epoll;
    QPointer<QSocketNotifier> m_notifier;
    // By descriptor number: descriptors are small numbers, and a watched one is looked up on
    // every event.
    std::vector<std::shared_ptr<Handler>> m_handlers;
};

} // namespace Quorvel

#include "Platform/Avahi/AvahiQtPoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/time.h>

#include <chrono>

// Avahi declares these as opaque types and leaves their definition to the poll implementation.
struct AvahiWatch {
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened;
    AvahiWatchCallback callback;
    void *userdata;
    QSocketNotifier *reader;
    QSocketNotifier *writer;
};

struct AvahiTimeout {
    AvahiTimeoutCallback callback;
    void *userdata;
    QTimer *timer;
};

namespace Quorvel {
namespace {

// A notifier may be freed from inside its own activation: it is switched off at once and deleted
// once control is back in the event loop.
void discard(QObject *object)
{
    if (auto *notifier = qobject_cast<QSocketNotifier *>(object)) {
        notifier->setEnabled(false);
    }
    if (auto *timer = qobject_cast<QTimer *>(object)) {
        timer->stop();
    }
    object->disconnect();
    object->deleteLater();
}

void dispatchWatch(AvahiWatch *watch, AvahiWatchEvent event)
{
    watch->happened = event;
    // The callback may free the watch, so nothing of it is touched afterwards.
    watch->callback(watch, watch->fd, event, watch->userdata);
}

QSocketNotifier *makeNotifier(AvahiWatch *watch, QSocketNotifier::Type type, AvahiWatchEvent event)
{
    auto *notifier = new QSocketNotifier(watch->fd, type);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [watch, event] { dispatchWatch(watch, event); });
    return notifier;
}

void applyEvents(AvahiWatch *watch, AvahiWatchEvent events)
{
    watch->wanted = events;
    watch->reader->setEnabled((events & AVAHI_WATCH_IN) != 0);
    watch->writer->setEnabled((events & AVAHI_WATCH_OUT) != 0);
}

AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent events, AvahiWatchCallback callback,
                     void *userdata)
{
    auto *watch =
        new AvahiWatch{fd, events, AvahiWatchEvent(0), callback, userdata, nullptr, nullptr};
    watch->reader = makeNotifier(watch, QSocketNotifier::Read, AVAHI_WATCH_IN);
    watch->writer = makeNotifier(watch, QSocketNotifier::Write, AVAHI_WATCH_OUT);
    applyEvents(watch, events);
    return watch;
}

void watchUpdate(AvahiWatch *watch, AvahiWatchEvent events)
{
    applyEvents(watch, events);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *watch)
{
    return watch->happened;
}

void watchFree(AvahiWatch *watch)
{
    discard(watch->reader);
    discard(watch->writer);
    delete watch;
}

// Avahi gives absolute wall-clock times, as gettimeofday() tells them.
std::chrono::milliseconds delayUntil(const struct timeval *when)
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    const auto delay = std::chrono::seconds(when->tv_sec - now.tv_sec) +
                       std::chrono::microseconds(when->tv_usec - now.tv_usec);
    // Rounded up, so that the callback never runs before the time Avahi asked for.
    const auto rounded = std::chrono::ceil<std::chrono::milliseconds>(delay);
    return rounded.count() < 0 ? std::chrono::milliseconds(0) : rounded;
}

void armTimeout(AvahiTimeout *timeout, const struct timeval *when)
{
    if (!when) {
        timeout->timer->stop();
        return;
    }
    timeout->timer->start(delayUntil(when));
}

AvahiTimeout *timeoutNew(const AvahiPoll *, const struct timeval *when,
                         AvahiTimeoutCallback callback, void *userdata)
{
    auto *timeout = new AvahiTimeout{callback, userdata, new QTimer};
    timeout->timer->setSingleShot(true);
    timeout->timer->setTimerType(Qt::PreciseTimer);
    // The callback may update or free the timeout, so nothing of it is touched afterwards.
    QObject::connect(timeout->timer, &QTimer::timeout, timeout->timer,
                     [timeout] { timeout->callback(timeout, timeout->userdata); });
    armTimeout(timeout, when);
    return timeout;
}

void timeoutUpdate(AvahiTimeout *timeout, const struct timeval *when)
{
    armTimeout(timeout, when);
}

void timeoutFree(AvahiTimeout *timeout)
{
    discard(timeout->timer);
    delete timeout;
}

} // namespace

AvahiQtPoll::AvahiQtPoll()
    : m_poll{nullptr,   watchNew,   watchUpdate,   watchGetEvents,
             watchFree, timeoutNew, timeoutUpdate, timeoutFree}
{}

} // namespace Quorvel

#include "Platform/Avahi/AvahiQtPoll.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <functional>

// Avahi's poll contract, checked against the Qt event loop: which readiness is reported, that
// watches and timeouts may be changed or freed from inside their own callbacks, and that
// timeouts keep Avahi's absolute times.
class AvahiQtPollTest : public QObject {
    Q_OBJECT

private:
    struct Record {
        explicit Record(const AvahiPoll *poll) : api(poll) {}

        const AvahiPoll *api;
        int calls = 0;
        AvahiWatchEvent lastEvent = AvahiWatchEvent(0);
        AvahiWatchEvent reportedEvents = AvahiWatchEvent(0);
        std::function<void(AvahiWatch *)> onWatch;
        std::function<void(AvahiTimeout *)> onTimeout;
    };

    static void watchCallback(AvahiWatch *watch, int, AvahiWatchEvent event, void *userdata)
    {
        auto *record = static_cast<Record *>(userdata);
        ++record->calls;
        record->lastEvent = event;
        record->reportedEvents = record->api->watch_get_events(watch);
        if (record->onWatch) {
            record->onWatch(watch);
        }
    }

    static void timeoutCallback(AvahiTimeout *timeout, void *userdata)
    {
        auto *record = static_cast<Record *>(userdata);
        ++record->calls;
        if (record->onTimeout) {
            record->onTimeout(timeout);
        }
    }

    static timeval inMilliseconds(int milliseconds)
    {
        timeval now;
        gettimeofday(&now, nullptr);
        const long long micros = (now.tv_sec * 1000000LL + now.tv_usec) + milliseconds * 1000LL;
        return timeval{time_t(micros / 1000000), suseconds_t(micros % 1000000)};
    }

    std::array<int, 2> m_pair{-1, -1};

private slots:
    void init() { QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM, 0, m_pair.data()), 0); }

    void cleanup()
    {
        close(m_pair[0]);
        close(m_pair[1]);
    }

    void writeReadinessIsReportedAsOut()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        AvahiWatch *watch =
            poll.poll()->watch_new(poll.poll(), m_pair[0], AVAHI_WATCH_OUT, watchCallback, &record);
        record.onWatch = [&](AvahiWatch *w) { record.api->watch_update(w, AvahiWatchEvent(0)); };
        QTRY_COMPARE(record.calls, 1);
        QCOMPARE(record.lastEvent, AVAHI_WATCH_OUT);
        QCOMPARE(record.reportedEvents, AVAHI_WATCH_OUT);
        poll.poll()->watch_free(watch);
    }

    void readReadinessIsReportedAsIn()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        AvahiWatch *watch =
            poll.poll()->watch_new(poll.poll(), m_pair[0], AVAHI_WATCH_IN, watchCallback, &record);
        QTest::qWait(0);
        QCOMPARE(record.calls, 0);
        QCOMPARE(write(m_pair[1], "x", 1), 1);
        record.onWatch = [&](AvahiWatch *) {
            char byte;
            QCOMPARE(read(m_pair[0], &byte, 1), 1);
        };
        QTRY_COMPARE(record.calls, 1);
        QCOMPARE(record.lastEvent, AVAHI_WATCH_IN);
        poll.poll()->watch_free(watch);
    }

    void updatedWatchFollowsTheNewEvents()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        AvahiWatch *watch = poll.poll()->watch_new(poll.poll(), m_pair[0], AvahiWatchEvent(0),
                                                   watchCallback, &record);
        QTest::qWait(0);
        QCOMPARE(record.calls, 0);
        record.onWatch = [&](AvahiWatch *w) { record.api->watch_update(w, AvahiWatchEvent(0)); };
        poll.poll()->watch_update(watch, AVAHI_WATCH_OUT);
        QTRY_COMPARE(record.calls, 1);
        QCOMPARE(record.lastEvent, AVAHI_WATCH_OUT);
        poll.poll()->watch_free(watch);
    }

    void watchFreedInsideItsCallbackStopsReporting()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        poll.poll()->watch_new(poll.poll(), m_pair[0], AVAHI_WATCH_OUT, watchCallback, &record);
        record.onWatch = [&](AvahiWatch *w) { record.api->watch_free(w); };
        QTRY_COMPARE(record.calls, 1);
        // The socket stays writable: a notifier left behind would keep calling.
        QTest::qWait(50);
        QCOMPARE(record.calls, 1);
    }

    void timeoutFiresAtItsAbsoluteTimeOnce()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        const timeval when = inMilliseconds(40);
        QElapsedTimer clock;
        clock.start();
        AvahiTimeout *timeout =
            poll.poll()->timeout_new(poll.poll(), &when, timeoutCallback, &record);
        QTRY_COMPARE(record.calls, 1);
        QVERIFY(clock.elapsed() >= 39);
        QTest::qWait(60);
        QCOMPARE(record.calls, 1);
        poll.poll()->timeout_free(timeout);
    }

    void timeoutWithoutTimeNeverFires()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        AvahiTimeout *timeout =
            poll.poll()->timeout_new(poll.poll(), nullptr, timeoutCallback, &record);
        QTest::qWait(30);
        QCOMPARE(record.calls, 0);
        const timeval soon = inMilliseconds(0);
        poll.poll()->timeout_update(timeout, &soon);
        QTRY_COMPARE(record.calls, 1);
        poll.poll()->timeout_update(timeout, nullptr);
        poll.poll()->timeout_free(timeout);
    }

    void timeoutReArmedOrFreedInsideItsCallback()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        record.onTimeout = [&](AvahiTimeout *t) {
            if (record.calls < 3) {
                const timeval next = inMilliseconds(5);
                record.api->timeout_update(t, &next);
            } else {
                record.api->timeout_free(t);
            }
        };
        const timeval when = inMilliseconds(5);
        poll.poll()->timeout_new(poll.poll(), &when, timeoutCallback, &record);
        QTRY_COMPARE(record.calls, 3);
        QTest::qWait(30);
        QCOMPARE(record.calls, 3);
    }

    void timeoutInThePastFiresAtOnce()
    {
        Quorvel::AvahiQtPoll poll;
        Record record(poll.poll());
        const timeval past = inMilliseconds(-1000);
        AvahiTimeout *timeout =
            poll.poll()->timeout_new(poll.poll(), &past, timeoutCallback, &record);
        QTRY_COMPARE_WITH_TIMEOUT(record.calls, 1, 100);
        poll.poll()->timeout_free(timeout);
    }
};

QTEST_GUILESS_MAIN(AvahiQtPollTest)
#include "AvahiQtPollTest.moc"

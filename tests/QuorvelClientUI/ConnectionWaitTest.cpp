#include "QuorvelClientUI/ConnectionWait.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <optional>

using namespace Quorvel;
using namespace std::chrono_literals;

namespace {

// Records the answers one wait gives.
struct Answers {
    std::function<void(bool)> handler()
    {
        return [this](bool value) { values.append(value); };
    }
    QList<bool> values;
};

} // namespace

// A caller waiting for the connection: answered once, as soon as the condition holds, when its
// time is up, or when the owner goes.
class ConnectionWaitTest : public QObject {
    Q_OBJECT

private slots:
    // A change of the wall clock (a time server's correction, the user's setting) must neither
    // end a wait early nor make it last longer: Qt's timers and the clock below are monotonic.
    void measuresOnTheMonotonicClock()
    {
        QCOMPARE(QElapsedTimer::clockType(), QElapsedTimer::MonotonicClock);
        QVERIFY(QElapsedTimer::isMonotonic());
    }

    void answersAsSoonAsTheConditionHolds()
    {
        QObject owner;
        QObject context;
        Answers answers;
        bool ready = false;
        auto *wait = new ConnectionWait([&ready] { return ready; }, 60s, &context,
                                        answers.handler(), &owner);
        wait->begin();
        QVERIFY(!QTest::qWaitFor([&] { return !answers.values.isEmpty(); }, 50));
        ready = true;
        // The owner tells of each change; nothing looks at the condition in between.
        wait->recheck();
        QTRY_COMPARE(answers.values, QList<bool>{true});
    }

    void zeroTimeOutAnswersFromTheCurrentState()
    {
        QObject owner;
        QObject context;
        Answers notReady;
        Answers ready;
        (new ConnectionWait([] { return false; }, 0ms, &context, notReady.handler(), &owner))
            ->begin();
        (new ConnectionWait([] { return true; }, 0ms, &context, ready.handler(), &owner))->begin();
        // Never inside the call itself: the answer comes from the event loop.
        QVERIFY(notReady.values.isEmpty() && ready.values.isEmpty());
        QTRY_COMPARE(notReady.values, QList<bool>{false});
        QTRY_COMPARE(ready.values, QList<bool>{true});
    }

    void timeOutAnswersFalseOnce()
    {
        QObject owner;
        QObject context;
        Answers answers;
        QElapsedTimer clock;
        clock.start();
        (new ConnectionWait([] { return false; }, 100ms, &context, answers.handler(), &owner))
            ->begin();
        QTRY_COMPARE(answers.values, QList<bool>{false});
        QVERIFY(clock.elapsed() >= 100);
        QVERIFY(!QTest::qWaitFor([&] { return answers.values.size() > 1; }, 50));
    }

    void ownerGoingAwayAnswersFalse()
    {
        auto owner = std::make_unique<QObject>();
        QObject context;
        Answers answers;
        (new ConnectionWait([] { return false; }, 60s, &context, answers.handler(), owner.get()))
            ->begin();
        owner.reset();
        QTRY_COMPARE(answers.values, QList<bool>{false});
    }

    void goneCallerIsNotAnswered()
    {
        QObject owner;
        auto context = std::make_unique<QObject>();
        Answers answers;
        (new ConnectionWait([] { return true; }, 60s, context.get(), answers.handler(), &owner))
            ->begin();
        context.reset();
        QVERIFY(!QTest::qWaitFor([&] { return !answers.values.isEmpty(); }, 50));
    }
};

QTEST_GUILESS_MAIN(ConnectionWaitTest)
#include "ConnectionWaitTest.moc"

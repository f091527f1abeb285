#include "QuorvelCore/Link/SourcePenalties.h"

#include <QTest>

using namespace Quorvel;
using namespace std::chrono_literals;

namespace {

const QHostAddress guesser(QStringLiteral("127.0.0.2"));
const QHostAddress neighbour(QStringLiteral("127.0.0.3"));

// Two free failures, then 1 s doubling up to 8 s; forgiven after a quiet minute.
SourcePenalties::Policy testPolicy()
{
    SourcePenalties::Policy policy;
    policy.freeFailures = 2;
    policy.firstPenalty = 1s;
    policy.maxPenalty = 8s;
    policy.quietPeriod = 60s;
    policy.maxSources = 3;
    return policy;
}

// A clock the test moves by hand.
struct ManualClock {
    std::chrono::steady_clock::time_point now{};
    LinkClock clock()
    {
        return [this] { return now; };
    }
};

} // namespace

class SourcePenaltiesTest : public QObject {
    Q_OBJECT

private slots:
    void backOff_data()
    {
        // Seconds after the previous failure at which each failure comes, and the penalty (in
        // seconds) it starts.
        QTest::addColumn<QList<int>>("gaps");
        QTest::addColumn<QList<int>>("penalties");

        QTest::newRow("free failures start nothing") << QList<int>{0, 1} << QList<int>{0, 0};
        QTest::newRow("then doubling up to the ceiling")
            << QList<int>{0, 0, 0, 1, 2, 4, 8, 8} << QList<int>{0, 0, 1, 2, 4, 8, 8, 8};
        QTest::newRow("a quiet period forgives everything")
            << QList<int>{0, 0, 0, 1, 60, 0, 0} << QList<int>{0, 0, 1, 2, 0, 0, 1};
        QTest::newRow("just short of quiet counts on")
            << QList<int>{0, 0, 0, 59} << QList<int>{0, 0, 1, 2};
    }

    void backOff()
    {
        QFETCH(QList<int>, gaps);
        QFETCH(QList<int>, penalties);
        ManualClock time;
        SourcePenalties box(testPolicy(), time.clock());
        for (qsizetype i = 0; i < gaps.size(); ++i) {
            time.now += std::chrono::seconds(gaps.at(i));
            const std::chrono::milliseconds penalty = box.recordFailure(guesser);
            QCOMPARE(penalty, std::chrono::seconds(penalties.at(i)));
            QCOMPARE(box.remaining(guesser), std::chrono::seconds(penalties.at(i)));
        }
    }

    // The penalty runs out with time, and is the guesser's alone.
    void penaltyEndsAndStaysWithItsAddress()
    {
        ManualClock time;
        SourcePenalties box(testPolicy(), time.clock());
        for (int i = 0; i < 4; ++i)
            box.recordFailure(guesser);
        QCOMPARE(box.remaining(guesser), 2s);
        QCOMPARE(box.remaining(neighbour), 0ms);
        QCOMPARE(box.failures(neighbour), 0);

        time.now += 1500ms;
        QCOMPARE(box.remaining(guesser), 500ms);
        time.now += 500ms;
        QCOMPARE(box.remaining(guesser), 0ms);
        QCOMPARE(box.failures(guesser), 4);
        time.now += 60s;
        QCOMPARE(box.failures(guesser), 0);
    }

    // A peer with endless addresses cannot grow the table past its size; the address whose last
    // failure is oldest is forgotten first.
    void tableStaysBounded()
    {
        ManualClock time;
        SourcePenalties box(testPolicy(), time.clock());
        for (int i = 0; i < 3; ++i)
            box.recordFailure(guesser);
        for (int last = 10; last < 20; ++last) {
            time.now += 1s;
            box.recordFailure(QHostAddress(QStringLiteral("127.0.0.%1").arg(last)));
        }
        QCOMPARE(box.failures(guesser), 0);
        QCOMPARE(box.failures(QHostAddress(u"127.0.0.19"_qs)), 1);
        QCOMPARE(box.failures(QHostAddress(u"127.0.0.17"_qs)), 1);
        QCOMPARE(box.failures(QHostAddress(u"127.0.0.16"_qs)), 0);
    }
};

QTEST_GUILESS_MAIN(SourcePenaltiesTest)
#include "SourcePenaltiesTest.moc"

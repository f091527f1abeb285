#include "QuorvelCore/Link/RefusalLog.h"

#include <QTest>

using namespace Quorvel;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(QList<RefusalLog::Summary>)

namespace {

QHostAddress source(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

} // namespace

class RefusalLogTest : public QObject {
    Q_OBJECT

private slots:
    void floodBecomesOneLinePerWindow_data()
    {
        // Each refusal as "seconds after the start:source"; a window is 60 s.
        QTest::addColumn<QStringList>("refusals");
        // Whether each refusal is logged in full.
        QTest::addColumn<QList<bool>>("inFull");
        // Seconds after the start at which the ended windows are taken, and what is taken then.
        QTest::addColumn<int>("takenAt");
        QTest::addColumn<QList<RefusalLog::Summary>>("summaries");

        QTest::newRow("one refusal: logged, nothing to sum up")
            << QStringList{u"0:2"_qs} << QList<bool>{true} << 60 << QList<RefusalLog::Summary>{};
        QTest::newRow("a flood from one address: the first in full, the rest summed up")
            << QStringList{u"0:2"_qs, u"1:2"_qs, u"2:2"_qs, u"59:2"_qs}
            << QList<bool>{true, false, false, false} << 60
            << QList<RefusalLog::Summary>{{source(2), 3}};
        QTest::newRow("other addresses are logged on their own")
            << QStringList{u"0:2"_qs, u"1:3"_qs, u"2:2"_qs} << QList<bool>{true, true, false} << 61
            << QList<RefusalLog::Summary>{{source(2), 1}};
        QTest::newRow("a window not yet ended is not summed up")
            << QStringList{u"0:2"_qs, u"1:2"_qs} << QList<bool>{true, false} << 59
            << QList<RefusalLog::Summary>{};
        QTest::newRow("a new window after a quiet one logs in full again")
            << QStringList{u"0:2"_qs, u"60:2"_qs} << QList<bool>{true, true} << 60
            << QList<RefusalLog::Summary>{};
        QTest::newRow("a window that ended unseen owes its count to the next")
            << QStringList{u"0:2"_qs, u"1:2"_qs, u"70:2"_qs, u"71:2"_qs}
            << QList<bool>{true, false, false, false} << 130
            << QList<RefusalLog::Summary>{{source(2), 3}};
    }

    void floodBecomesOneLinePerWindow()
    {
        QFETCH(QStringList, refusals);
        QFETCH(QList<bool>, inFull);
        QFETCH(int, takenAt);
        QFETCH(QList<RefusalLog::Summary>, summaries);

        std::chrono::steady_clock::time_point now{};
        const std::chrono::steady_clock::time_point start = now;
        RefusalLog log([&now] { return now; }, 60s);
        for (qsizetype i = 0; i < refusals.size(); ++i) {
            const QStringList parts = refusals.at(i).split(u':');
            now = start + std::chrono::seconds(parts.at(0).toInt());
            QCOMPARE(log.note(source(parts.at(1).toInt())), inFull.at(i));
        }
        now = start + std::chrono::seconds(takenAt);
        QCOMPARE(log.takeEnded(), summaries);
    }

    // Taken windows are forgotten: the table empties once every window has ended.
    void endedWindowsAreForgotten()
    {
        std::chrono::steady_clock::time_point now{};
        RefusalLog log([&now] { return now; }, 60s);
        log.note(source(2));
        log.note(source(2));
        now += 60s;
        QCOMPARE(log.takeEnded().size(), 1);
        QVERIFY(log.isEmpty());
        QVERIFY(log.takeEnded().isEmpty());
        QVERIFY(log.note(source(2)));
    }
};

QTEST_GUILESS_MAIN(RefusalLogTest)
#include "RefusalLogTest.moc"

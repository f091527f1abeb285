#include "QuorvelCore/Link/OutgoingWatchdog.h"

#include <QTest>

using namespace Quorvel;
using namespace std::chrono_literals;
using Verdict = OutgoingWatchdog::Verdict;

Q_DECLARE_METATYPE(Verdict)

class OutgoingWatchdogTest : public QObject {
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        // Steps as "seconds:queued bytes" for a check or "seconds:progress" for bytes sent; the
        // verdict of the last check. The limits: 1000 bytes, 30 s.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<Verdict>("verdict");

        QTest::newRow("empty queue") << QStringList{u"0:0"_qs, u"100:0"_qs} << Verdict::fine;
        QTest::newRow("at the limit") << QStringList{u"0:1000"_qs} << Verdict::fine;
        QTest::newRow("past the limit") << QStringList{u"0:1001"_qs} << Verdict::overLimit;
        QTest::newRow("past the limit while moving")
            << QStringList{u"0:500"_qs, u"1:progress"_qs, u"1:5000"_qs} << Verdict::overLimit;
        QTest::newRow("bytes waiting, not yet long")
            << QStringList{u"0:500"_qs, u"29:500"_qs} << Verdict::fine;
        QTest::newRow("bytes waiting, nothing sent for the whole time")
            << QStringList{u"0:500"_qs, u"30:500"_qs} << Verdict::stalled;
        QTest::newRow("bytes waiting but moving")
            << QStringList{u"0:500"_qs, u"20:progress"_qs, u"45:500"_qs} << Verdict::fine;
        QTest::newRow("idle for long, then a queue that has just begun")
            << QStringList{u"0:0"_qs, u"100:0"_qs, u"101:500"_qs} << Verdict::fine;
        QTest::newRow("a queue that began after idling and then stuck")
            << QStringList{u"0:0"_qs, u"100:0"_qs, u"131:500"_qs} << Verdict::stalled;
    }

    void verdicts()
    {
        QFETCH(QStringList, steps);
        QFETCH(Verdict, verdict);
        const std::chrono::steady_clock::time_point start{};
        OutgoingWatchdog watchdog({1000, 30s}, start);
        Verdict last = Verdict::fine;
        for (const QString &step : std::as_const(steps)) {
            const QStringList parts = step.split(u':');
            const auto now = start + std::chrono::seconds(parts.at(0).toInt());
            if (parts.at(1) == u"progress"_qs)
                watchdog.noteProgress(now);
            else
                last = watchdog.check(parts.at(1).toLongLong(), now);
        }
        QCOMPARE(last, verdict);
    }
};

QTEST_GUILESS_MAIN(OutgoingWatchdogTest)
#include "OutgoingWatchdogTest.moc"

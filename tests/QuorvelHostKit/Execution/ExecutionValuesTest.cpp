#include "QuorvelHostKit/Execution/ExecutionError.h"
#include "QuorvelHostKit/Execution/ExecutionResult.h"
#include "QuorvelHostKit/Execution/ExitGate.h"
#include "QuorvelHostKit/Execution/PercentText.h"
#include "QuorvelHostKit/Execution/TimerLimits.h"

#include <QTest>

#include <limits>

using namespace Quorvel;

class ExecutionValuesTest : public QObject {
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void errorDescription_data();
    void errorDescription();
    void timerValuesAreClamped_data();
    void timerValuesAreClamped();
    void gateKeepsFirstOutcome_data();
    void gateKeepsFirstOutcome();
    void percentText_data();
    void percentText();
};

void ExecutionValuesTest::summary_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("summary");
    QTest::newRow("output without its line feed") << 0 << "hi\n"
                                                  << ""
                                                  << "hi";
    QTest::newRow("nothing printed") << 0 << ""
                                     << ""
                                     << "ok";
    QTest::newRow("only blanks printed") << 0 << " \n\t"
                                         << "warning"
                                         << "ok";
    QTest::newRow("failure without text") << 3 << ""
                                          << ""
                                          << "exit 3";
    QTest::newRow("failure with output only") << 1 << "  partial\n"
                                              << "\n"
                                              << "partial";
    QTest::newRow("failure with error text") << 1 << "output"
                                             << " no such file\n"
                                             << "no such file";
    QTest::newRow("killed") << 9 << ""
                            << ""
                            << "exit 9";
}

void ExecutionValuesTest::summary()
{
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, summary);
    const ExecutionResult result{exitCode, out, err};
    QCOMPARE(result.summary(), summary);
    QCOMPARE(result.ok(), exitCode == 0);
}

void ExecutionValuesTest::errorDescription_data()
{
    QTest::addColumn<ExecutionError>("error");
    QTest::addColumn<QString>("description");
    QTest::newRow("whole seconds") << ExecutionError::timedOut(60) << "timed out after 60s";
    QTest::newRow("half a second") << ExecutionError::timedOut(0.5) << "timed out after 0s";
    QTest::newRow("truncated, not rounded")
        << ExecutionError::timedOut(14.99) << "timed out after 14s";
    QTest::newRow("a day") << ExecutionError::timedOut(86400) << "timed out after 86400s";
    QTest::newRow("just below zero") << ExecutionError::timedOut(-0.5) << "timed out after 0s";
    QTest::newRow("launch") << ExecutionError::launchFailed("No such file or directory")
                            << "launch failed: No such file or directory";
}

void ExecutionValuesTest::errorDescription()
{
    QFETCH(ExecutionError, error);
    QFETCH(QString, description);
    QCOMPARE(error.description(), description);
}

void ExecutionValuesTest::timerValuesAreClamped_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("clamped");
    QTest::addColumn<int>("milliseconds");
    constexpr double day = 86400;
    QTest::newRow("ordinary") << 5.0 << 5.0 << 5000;
    QTest::newRow("fraction rounds up") << 0.0004 << 0.0004 << 1;
    QTest::newRow("zero") << 0.0 << 0.0 << 0;
    QTest::newRow("negative") << -3.0 << 0.0 << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0 << 0;
    QTest::newRow("a day") << day << day << 86400000;
    QTest::newRow("beyond int milliseconds") << 3e6 << day << 86400000;
    QTest::newRow("huge") << 1e300 << day << 86400000;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << day << 86400000;
}

void ExecutionValuesTest::timerValuesAreClamped()
{
    QFETCH(double, seconds);
    QFETCH(double, clamped);
    QFETCH(int, milliseconds);
    QCOMPARE(clampedTimerSeconds(seconds), clamped);
    QCOMPARE(timerMilliseconds(seconds), milliseconds);
}

void ExecutionValuesTest::gateKeepsFirstOutcome_data()
{
    QTest::addColumn<ExitGate::Outcome>("first");
    QTest::addColumn<ExitGate::Outcome>("second");
    QTest::newRow("exit, then time-out")
        << ExitGate::Outcome::exited << ExitGate::Outcome::timedOut;
    QTest::newRow("time-out, then exit")
        << ExitGate::Outcome::timedOut << ExitGate::Outcome::exited;
}

void ExecutionValuesTest::gateKeepsFirstOutcome()
{
    QFETCH(ExitGate::Outcome, first);
    QFETCH(ExitGate::Outcome, second);
    ExitGate gate;
    QCOMPARE(gate.outcome(), std::nullopt);
    QVERIFY(gate.resolve(first));
    QVERIFY(!gate.resolve(second));
    QVERIFY(!gate.resolve(first));
    QCOMPARE(gate.outcome(), first);
}

void ExecutionValuesTest::percentText_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << 0.5 << "50%";
    QTest::newRow("half a percent rounds away from zero") << 0.125 << "13%";
    QTest::newRow("a third") << 0.333 << "33%";
    QTest::newRow("full") << 1.0 << "100%";
    QTest::newRow("tiny negative is no negative zero") << -0.001 << "0%";
    QTest::newRow("beyond any integer") << 1e20 << "10000000000000000000000%";
}

void ExecutionValuesTest::percentText()
{
    QFETCH(double, level);
    QFETCH(QString, text);
    QCOMPARE(Quorvel::percentText(level), text);
}

QTEST_APPLESS_MAIN(ExecutionValuesTest)
#include "ExecutionValuesTest.moc"

#include "QuorvelHostKit/Service/RecheckStep.h"

#include <QTest>

using namespace Quorvel;

class RecheckStepTest : public QObject {
    Q_OBJECT

private slots:
    void step_data();
    void step();
};

void RecheckStepTest::step_data()
{
    QTest::addColumn<qint64>("attempt");
    QTest::addColumn<qsizetype>("devices");
    QTest::addColumn<RecheckStep>("expected");
    const auto readvertise = RecheckStep::readvertise;
    const auto restart = RecheckStep::restartListener;
    for (qint64 attempt : {1, 2, 3, 5, 6, 7}) {
        QTest::addRow("attempt %lld advertises again", attempt)
            << attempt << qsizetype(0) << readvertise;
    }
    for (qint64 attempt : {4, 8, 12}) {
        QTest::addRow("attempt %lld restarts", attempt) << attempt << qsizetype(0) << restart;
        QTest::addRow("attempt %lld with a device connected advertises again", attempt)
            << attempt << qsizetype(1) << readvertise;
    }
}

void RecheckStepTest::step()
{
    QFETCH(qint64, attempt);
    QFETCH(qsizetype, devices);
    QFETCH(RecheckStep, expected);
    QCOMPARE(recheckStep(attempt, devices), expected);
}

QTEST_GUILESS_MAIN(RecheckStepTest)
#include "RecheckStepTest.moc"

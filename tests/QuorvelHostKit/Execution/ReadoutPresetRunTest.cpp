#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "QuorvelCore/Model/ReadoutPreset.h"

#include <QRegularExpression>
#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(Quorvel::ReadoutPreset)

// The ready-made readouts run for real on this machine, as a readout's check runs them.
class ReadoutPresetRunTest : public QObject {
    Q_OBJECT

private slots:
    void presetReadsThisMachine_data();
    void presetReadsThisMachine();
};

void ReadoutPresetRunTest::presetReadsThisMachine_data()
{
    QTest::addColumn<ReadoutPreset>("preset");
    QTest::addColumn<QString>("pattern");
    // df -h: a number and its unit, for example "37G" or "1.5T".
    QTest::newRow("free disk") << ReadoutPreset::freeDisk << R"(^[0-9]+([.,][0-9]+)?[KMGTPEZY]$)";
    // uptime -p without its "up": "2 hours, 5 minutes", never a count of users.
    QTest::newRow("uptime")
        << ReadoutPreset::uptime
        << R"(^[0-9]+ (year|week|day|hour|minute)s?(, [0-9]+ (week|day|hour|minute)s?)*$)";
    // The one-minute load average.
    QTest::newRow("load") << ReadoutPreset::load << R"(^[0-9]+\.[0-9]+$)";
}

void ReadoutPresetRunTest::presetReadsThisMachine()
{
    QFETCH(ReadoutPreset, preset);
    QFETCH(QString, pattern);
    SystemExecutor executor;
    StatusCheck check;
    check.type = StatusCheck::Kind::shellOutput;
    check.target = readoutPresetCommand(preset);

    const StatusOutcome outcome = QCoro::waitFor(executor.status(check));

    QVERIFY(!outcome.isOn.has_value());
    QVERIFY(outcome.detail);
    QVERIFY(!outcome.detail->contains("user"));
    QVERIFY2(QRegularExpression(pattern).match(*outcome.detail).hasMatch(),
             qPrintable(*outcome.detail));
    if (preset == ReadoutPreset::load) {
        bool isNumber = false;
        QVERIFY(outcome.detail->toDouble(&isNumber) >= 0);
        QVERIFY(isNumber);
    }
}

QTEST_GUILESS_MAIN(ReadoutPresetRunTest)
#include "ReadoutPresetRunTest.moc"

#include "QuorvelClientUI/Editor/ValuePreset.h"

#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include <QRegularExpression>
#include <QTest>

#include <qcoro/qcorotask.h>

using namespace Quorvel;

// The ready-made readouts run for real on this computer, the way the host runs a readout's
// check, and read as their titles promise.
class PresetRunTest : public QObject {
    Q_OBJECT

private:
    static QString reading(const ValuePreset &preset)
    {
        SystemExecutor executor;
        const StatusCheck check{StatusCheck::Kind::shellOutput, preset.command(), preset.interval(),
                                std::nullopt};
        const StatusOutcome outcome = QCoro::waitFor(executor.status(check));
        return outcome.detail.value_or(QString());
    }

private slots:
    void freeDiskEndsInASizeUnit()
    {
        const QString free = reading(ValuePreset::freeDisk());
        static const QRegularExpression size(QStringLiteral(R"(\A\d+([.,]\d+)?[KMGTPEZY]\z)"));
        QVERIFY2(size.match(free).hasMatch(), qPrintable(free));
    }

    void uptimeIsADurationOnly()
    {
        const QString up = reading(ValuePreset::uptime());
        QVERIFY2(!up.isEmpty(), "no output");
        QVERIFY2(!up.contains(QStringLiteral("user")), qPrintable(up));
        QVERIFY2(!up.startsWith(QStringLiteral("up")), qPrintable(up));
        static const QRegularExpression duration(
            QStringLiteral(R"(\A\d+ (minute|hour|day|week|year)s?(, \d+ \w+)*\z)"));
        QVERIFY2(duration.match(up).hasMatch(), qPrintable(up));
    }

    void loadIsANumber()
    {
        const QString load = reading(ValuePreset::load());
        bool isNumber = false;
        const double value = load.toDouble(&isNumber);
        QVERIFY2(isNumber, qPrintable(load));
        QVERIFY(value >= 0);
    }
};

QTEST_GUILESS_MAIN(PresetRunTest)
#include "PresetRunTest.moc"

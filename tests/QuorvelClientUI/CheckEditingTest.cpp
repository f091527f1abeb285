#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/CheckEditing.h"

#include <cmath>
#include <limits>

using namespace Quorvel;
using namespace EditorTest;

using Kind = StatusCheck::Kind;
Q_DECLARE_METATYPE(Quorvel::StatusCheck)

namespace {
const QString freeDisk = QStringLiteral("df -h / | awk 'NR==2 {print $4}'");
}

class CheckEditingTest : public QObject {
    Q_OBJECT

private slots:
    void stateRows_data()
    {
        QTest::addColumn<StatusCheck>("check");
        QTest::addColumn<int>("row");
        QTest::newRow("running") << check(Kind::processRunning, "x") << 0;
        QTest::newRow("exit code") << check(Kind::shellExitCode, "true") << 1;
        QTest::newRow("output shows as a command") << check(Kind::shellOutput, "true") << 1;
        QTest::newRow("app control") << check(Kind::appControl, "a.b.Player", {}, "mute") << 2;
    }

    void stateRows()
    {
        QFETCH(StatusCheck, check);
        QFETCH(int, row);
        QCOMPARE(CheckEditing::stateRow(check), row);
    }

    void choosingAStateRowStartsEmptyAndKeepsTheInterval()
    {
        const StatusCheck chosen =
            CheckEditing::withStateRow(check(Kind::appControl, "a.b.Player", 9, "mute"), 1);
        QCOMPARE(chosen, check(Kind::shellExitCode, "", 9));
    }

    void aSwitchsOutputCheckBecomesAnExitCodeCheckOnItsFirstEdit_data()
    {
        QTest::addColumn<StatusCheck>("check");
        QTest::addColumn<StatusCheck>("edited");
        QTest::newRow("output") << check(Kind::shellOutput, "pgrep x", 7)
                                << check(Kind::shellExitCode, "pgrep -x", 7);
        QTest::newRow("exit code")
            << check(Kind::shellExitCode, "pgrep x") << check(Kind::shellExitCode, "pgrep -x");
    }

    void aSwitchsOutputCheckBecomesAnExitCodeCheckOnItsFirstEdit()
    {
        QFETCH(StatusCheck, check);
        QFETCH(StatusCheck, edited);
        QCOMPARE(CheckEditing::withStateCommand(check, "pgrep -x"), edited);
    }

    void appNames()
    {
        HostCatalog catalog = studioCatalog();
        catalog.runningApps = {"Rhythmbox", "rhythmbox", "Zed"};
        QCOMPARE(CheckEditing::appNames(catalog),
                 (QStringList{"Firefox ESR", "Rhythmbox", "rhythmbox", "Zed"}));
        QCOMPARE(CheckEditing::appNames(std::nullopt), QStringList());
    }

    void readoutSource_data()
    {
        QTest::addColumn<StatusCheck>("check");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("command");
        QTest::newRow("free disk with space around it")
            << check(Kind::shellOutput, " " + freeDisk + "\n") << "freeDisk"
            << " " + freeDisk + "\n";
        QTest::newRow("other command")
            << check(Kind::shellOutput, freeDisk + " -x") << "" << freeDisk + " -x";
        QTest::newRow("app control shows no command")
            << check(Kind::appControl, "a.b.Player", {}, "volume") << ""
            << "";
    }

    void readoutSource()
    {
        QFETCH(StatusCheck, check);
        QFETCH(QString, preset);
        const auto current = CheckEditing::currentPreset(check);
        QCOMPARE(current ? current->rawValue() : QString(), preset);
        QFETCH(QString, command);
        QCOMPARE(CheckEditing::commandText(check), command);
    }

    void readoutEdits()
    {
        QCOMPARE(CheckEditing::presetCheck(ValuePreset::uptime()).interval, 30.0);
        QCOMPARE(CheckEditing::presetCheck(ValuePreset::load()).interval, 10.0);
        QCOMPARE(CheckEditing::withReadoutCommand(
                     check(Kind::appControl, "a.b.Player", 8, "volume"), "d"),
                 check(Kind::shellOutput, "d", 8));
        QCOMPARE(CheckEditing::withPickedItem("a.b.Player", "volume"),
                 check(Kind::appControl, "a.b.Player", std::nullopt, "volume"));
        QCOMPARE(CheckEditing::withPickedItem("a.b.Player", ""), std::nullopt);
        const StatusCheck bound = check(Kind::appControl, "a.b.Player", {}, "volume");
        QCOMPARE(CheckEditing::pickedItem(bound, "a.b.Player"), "volume");
        QCOMPARE(CheckEditing::pickedItem(bound, "other"), "");
    }

    void canCheck_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("spaces and tabs") << " \t" << false;
        QTest::newRow("a line break") << "\n" << true;
        QTest::newRow("true") << "true" << true;
    }

    void canCheck()
    {
        QFETCH(QString, target);
        QFETCH(bool, enabled);
        QCOMPARE(CheckEditing::canCheck(check(Kind::shellExitCode, target)), enabled);
    }

    void intervals_data()
    {
        QTest::addColumn<std::optional<double>>("current");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<int>("chosen");
        const double huge = std::ldexp(1.0, 63);
        QTest::newRow("absent: the host's default") << std::optional<double>() << "" << 0;
        QTest::newRow("a minute") << std::optional<double>(60) << "" << 3;
        QTest::newRow("45") << std::optional<double>(45) << "Every 45 seconds" << 7;
        QTest::newRow("5.5 worded as 5") << std::optional<double>(5.5) << "Every 5 seconds" << 7;
        QTest::newRow("0") << std::optional<double>(0) << "Every second" << 7;
        QTest::newRow("two hours") << std::optional<double>(7200) << "Every 2 hours" << 7;
        QTest::newRow("2^63 s: the host's longest")
            << std::optional<double>(huge) << "Every 24 hours" << 7;
        QTest::newRow("beyond 2^64") << std::optional<double>(huge * 4) << "Every 24 hours" << 7;
        QTest::newRow("infinite") << std::optional<double>(std::numeric_limits<double>::infinity())
                                  << "Every 24 hours" << 7;
    }

    void intervals()
    {
        QFETCH(std::optional<double>, current);
        QFETCH(QString, extra);
        const QList<CheckEditing::IntervalOption> options = CheckEditing::intervalOptions(current);
        QCOMPARE(options.size(), extra.isEmpty() ? 7 : 8);
        QCOMPARE(options.at(3).text, "Every minute");
        QCOMPARE(options.at(6).text, "Every hour");
        if (!extra.isEmpty())
            QCOMPARE(options.last().text, extra);
        QFETCH(int, chosen);
        QCOMPARE(CheckEditing::chosenInterval(current), chosen);
    }
};

QTEST_GUILESS_MAIN(CheckEditingTest)
#include "CheckEditingTest.moc"

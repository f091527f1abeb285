#include "QuorvelCore/Model/QuitAppScript.h"
#include "QuorvelCore/Model/ReadoutPreset.h"

#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<Quorvel::ReadoutPreset>)

// The quit form and the readout presets are how the editor and the host's executor agree on
// what a deck means; both read these texts, so both must read them alike.
class ActionFormsTest : public QObject {
    Q_OBJECT

private slots:
    void quitFormIsReadBack_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<std::optional<QString>>("name");
        QTest::newRow("plain") << "tell application \"Music\" to quit"
                               << std::optional<QString>("Music");
        QTest::newRow("spaces in the name")
            << "tell application \"Firefox ESR\" to quit" << std::optional<QString>("Firefox ESR");
        QTest::newRow("wider spacing and tabs")
            << "  tell  application\t\"Music\"   to quit \t" << std::optional<QString>("Music");
        QTest::newRow("Return typed after it") << "tell application \"Music\" to quit\n"
                                               << std::optional<QString>("Music");
        QTest::newRow("line breaks around it")
            << "\r\n\n  tell application \"Music\" to quit \r\n\t\n"
            << std::optional<QString>("Music");
        QTest::newRow("line separator after it")
            << QString("tell application \"Music\" to quit") + QChar(0x2028)
            << std::optional<QString>("Music");
        QTest::newRow("line break between the words")
            << "tell application \"Music\"\nto quit" << std::optional<QString>();
        QTest::newRow("line break after tell")
            << "tell\napplication \"Music\" to quit" << std::optional<QString>();
        QTest::newRow("empty name")
            << "tell application \"\" to quit" << std::optional<QString>("");
        QTest::newRow("other script")
            << "tell application \"Music\" to play" << std::optional<QString>();
        QTest::newRow("more after quit")
            << "tell application \"Music\" to quit\ndo shell script \"rm\""
            << std::optional<QString>();
        QTest::newRow("quote inside")
            << "tell application \"a\"b\" to quit" << std::optional<QString>();
        QTest::newRow("backslash inside")
            << "tell application \"a\\\" to quit" << std::optional<QString>();
        QTest::newRow("line break inside")
            << "tell application \"a\nb\" to quit" << std::optional<QString>();
        QTest::newRow("upper case words")
            << "Tell Application \"Music\" To Quit" << std::optional<QString>();
    }
    void quitFormIsReadBack()
    {
        QFETCH(QString, target);
        QFETCH(std::optional<QString>, name);
        QCOMPARE(quitAppName(target), name);
    }

    void quitFormRefusesNamesThatBreakIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("quotable");
        QTest::newRow("plain") << "Music" << true;
        QTest::newRow("unicode") << "Café Müzik" << true;
        QTest::newRow("quote") << "My \"App\"" << false;
        QTest::newRow("backslash") << "A\\B" << false;
        QTest::newRow("line feed") << "A\nB" << false;
        QTest::newRow("carriage return") << "A\rB" << false;
        QTest::newRow("line separator") << QString("A") + QChar(0x2028) + "B" << false;
    }
    void quitFormRefusesNamesThatBreakIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, quotable);
        QCOMPARE(canQuoteAppName(name), quotable);
        const std::optional<QString> target = quitAppTarget(name);
        QCOMPARE(target.has_value(), quotable);
        if (target)
            QCOMPARE(quitAppName(*target), std::optional<QString>(name));
    }

    void presetsAreRecognised_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<std::optional<ReadoutPreset>>("preset");
        const auto none = std::optional<ReadoutPreset>();
        QTest::newRow("free disk")
            << "df -h / | awk 'NR==2 {print $4}'" << std::optional(ReadoutPreset::freeDisk);
        QTest::newRow("free disk, trailing line break") << "df -h / | awk 'NR==2 {print $4}'\n"
                                                        << std::optional(ReadoutPreset::freeDisk);
        QTest::newRow("free disk, other column") << "df -h / | awk 'NR==2 {print $3}'" << none;
        QTest::newRow("uptime") << "uptime -p | sed 's/^up //'"
                                << std::optional(ReadoutPreset::uptime);
        QTest::newRow("uptime, older form") << "uptime | sed -E 's/.*up ([^,]*,[^,]*),.*/\\1/'"
                                            << std::optional(ReadoutPreset::uptime);
        QTest::newRow("load") << "cut -d ' ' -f 1 /proc/loadavg"
                              << std::optional(ReadoutPreset::load);
        QTest::newRow("load, older form")
            << "sysctl -n vm.loadavg | awk '{print $2}'" << std::optional(ReadoutPreset::load);
        QTest::newRow("one more space inside") << "cut -d ' ' -f 1  /proc/loadavg" << none;
        QTest::newRow("empty") << "" << none;
    }
    void presetsAreRecognised()
    {
        QFETCH(QString, command);
        QFETCH(std::optional<ReadoutPreset>, preset);
        QCOMPARE(readoutPresetForCommand(command), preset);
    }
};

QTEST_GUILESS_MAIN(ActionFormsTest)
#include "ActionFormsTest.moc"

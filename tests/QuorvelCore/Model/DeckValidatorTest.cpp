#include "QuorvelCore/Model/DeckValidator.h"
#include "QuorvelCore/Model/QuitAppScript.h"
#include "QuorvelCore/Model/ReadoutPreset.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QtTest>

#include <limits>

using namespace Quorvel;

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

Action shell(const QString &target, std::optional<double> timeout = std::nullopt)
{
    return Action{Action::Kind::shell, target, timeout, std::nullopt, std::nullopt};
}

Action appControl(std::optional<QString> control, std::optional<QString> value)
{
    return Action{Action::Kind::appControl, QStringLiteral("org.example.Mixer"), std::nullopt,
                  control, value};
}

StatusCheck check(const QString &target, std::optional<double> interval = std::nullopt)
{
    return StatusCheck{StatusCheck::Kind::shellExitCode, target, interval, std::nullopt};
}

Control button(const QString &id, std::optional<Action> action = shell(QStringLiteral("true")))
{
    return Control{id,
                   QStringLiteral("Title"),
                   ControlType::button,
                   std::nullopt,
                   action,
                   std::nullopt,
                   std::nullopt,
                   std::nullopt};
}

Control toggle(const QString &id, std::optional<Action> on, std::optional<Action> off,
               std::optional<StatusCheck> statusCheck)
{
    return Control{id,
                   QStringLiteral("Title"),
                   ControlType::toggle,
                   std::nullopt,
                   std::nullopt,
                   on,
                   off,
                   statusCheck};
}

Control metric(const QString &id, std::optional<StatusCheck> statusCheck)
{
    return Control{id,
                   QStringLiteral("Title"),
                   ControlType::metric,
                   std::nullopt,
                   std::nullopt,
                   std::nullopt,
                   std::nullopt,
                   statusCheck};
}

Deck deckOf(std::vector<Control> controls)
{
    return Deck{QStringLiteral("Deck"), std::move(controls)};
}

} // namespace

class DeckValidatorTest : public QObject {
    Q_OBJECT

private slots:
    void findsProblemsInOrder_data()
    {
        QTest::addColumn<Deck>("deck");
        QTest::addColumn<QStringList>("problems");

        QTest::newRow("sample deck") << Deck::sample() << QStringList();
        QTest::newRow("blank name, no controls")
            << Deck{QStringLiteral("  "), {}}
            << QStringList{"the title is empty", "there are no actions"};
        QTest::newRow("name of a tab and an ideographic space")
            << Deck{QStringLiteral("\t\u3000"), {button("a")}} << QStringList{"the title is empty"};
        QTest::newRow("name of only a line feed")
            << Deck{QStringLiteral("\n"), {button("a")}} << QStringList();
        QTest::newRow("duplicate ids") << deckOf({button("lamp"), button("lamp")})
                                       << QStringList{"\"lamp\": id is used more than once"};
        QTest::newRow("canonically equivalent ids")
            << deckOf({button(QStringLiteral("caf\u00e9")), button(QStringLiteral("cafe\u0301"))})
            << QStringList{"\"cafe\u0301\": id is used more than once"};
        QTest::newRow("trailing space makes another id")
            << deckOf({button("lamp"), button("lamp ")}) << QStringList();
        QTest::newRow("empty id at position 2")
            << deckOf({button("a"), button("")}) << QStringList{"action #2: id is empty"};
        QTest::newRow("id of two spaces, twice")
            << deckOf({button("  "), button("  ")})
            << QStringList{"\"  \": id is empty", "\"  \": id is empty"};
        Control untitled = button("x");
        untitled.title = QStringLiteral(" ");
        QTest::newRow("blank title") << deckOf({untitled}) << QStringList{"\"x\": title is empty"};
        Control onlyOnAction = button("x", std::nullopt);
        onlyOnAction.onAction = shell("true");
        QTest::newRow("button with only an on_action")
            << deckOf({onlyOnAction}) << QStringList{"\"x\": action is missing"};
        QTest::newRow("bare toggle")
            << deckOf({toggle("t", std::nullopt, std::nullopt, std::nullopt)})
            << QStringList{"\"t\": on_action is missing", "\"t\": off_action is missing",
                           "\"t\": toggles need a status_check so they can show on or off"};
        Control metricWithAction = metric("m", std::nullopt);
        metricWithAction.action = shell("");
        QTest::newRow("metric with an action and no check")
            << deckOf({metricWithAction}) << QStringList{"\"m\": metrics need a status_check"};
        QTest::newRow("interval 0.5")
            << deckOf({metric("m", check("true", 0.5))})
            << QStringList{"\"m\": status_check interval must be at least 1 second"};
        QTest::newRow("interval 1") << deckOf({metric("m", check("true", 1.0))}) << QStringList();
        Control checkedButton = button("b");
        checkedButton.statusCheck = check(" ", 0.5);
        QTest::newRow("button with a bad status check")
            << deckOf({checkedButton})
            << QStringList{"\"b\": status_check target is empty",
                           "\"b\": status_check interval must be at least 1 second"};
        QTest::newRow("timeout 0") << deckOf({button("x", shell("true", 0))})
                                   << QStringList{"\"x\": action timeout must be positive"};
        QTest::newRow("timeout -5") << deckOf({button("x", shell("true", -5))})
                                    << QStringList{"\"x\": action timeout must be positive"};
        QTest::newRow("timeout 0.001")
            << deckOf({button("x", shell("true", 0.001))}) << QStringList();
        QTest::newRow("empty target and bad timeout")
            << deckOf({button("x", shell("\t", 0))})
            << QStringList{"\"x\": action target is empty",
                           "\"x\": action timeout must be positive"};
        // A program is given its command as a C string, which ends at a NUL.
        const QString nul(QChar(0));
        Control nulChecked = button("b", shell("print a" + nul + "b; touch /tmp/afterNUL"));
        nulChecked.statusCheck = check("pgrep x" + nul + "y");
        QTest::newRow("NUL in a command and its check")
            << deckOf({nulChecked})
            << QStringList{"\"b\": action target holds a NUL character",
                           "\"b\": status_check target holds a NUL character"};
        QTest::newRow("NUL in a switch's commands and a readout's source")
            << deckOf({toggle("t", shell(nul),
                              Action{Action::Kind::script, "~/x" + nul, std::nullopt, std::nullopt,
                                     std::nullopt},
                              check("true")),
                       metric("m", StatusCheck{StatusCheck::Kind::shellOutput, nul + "df",
                                               std::nullopt, std::nullopt})})
            << QStringList{"\"t\": on_action target holds a NUL character",
                           "\"t\": off_action target holds a NUL character",
                           "\"m\": status_check target holds a NUL character"};
        QTest::newRow("app_control values that pass")
            << deckOf({button("a", appControl("c", "0.5")), button("b", appControl("c", "on")),
                       button("c", appControl("c", "1")), button("d", appControl("c", "0"))})
            << QStringList();
        const QString valueProblem =
            QStringLiteral("\"x\": action value must be on, off, press, or a level from 0 to 1");
        for (const char *value : {"1.5", "50", " on", "ON"}) {
            QTest::addRow("app_control value \"%s\"", value)
                << deckOf({button("x", appControl("c", QString::fromLatin1(value)))})
                << QStringList{valueProblem};
        }
        QTest::newRow("app_control without value")
            << deckOf({button("x", appControl("c", std::nullopt))}) << QStringList{valueProblem};
        QTest::newRow("app_control with an empty control")
            << deckOf({button("x", appControl("", std::nullopt))})
            << QStringList{"\"x\": action needs the app's control", valueProblem};
        StatusCheck appCheck{StatusCheck::Kind::appControl, QString(), std::nullopt, std::nullopt};
        QTest::newRow("app_control status check without control")
            << deckOf({metric("m", appCheck)})
            << QStringList{"\"m\": status_check target is empty",
                           "\"m\": status_check needs the app's control"};
        Control everything = toggle("", shell("", 0), std::nullopt, check("", 0.5));
        everything.title = QString();
        QTest::newRow("every problem of a toggle in order")
            << Deck{QString(), {everything}}
            << QStringList{"the title is empty",
                           "action #1: id is empty",
                           "action #1: title is empty",
                           "action #1: on_action target is empty",
                           "action #1: on_action timeout must be positive",
                           "action #1: off_action is missing",
                           "action #1: status_check target is empty",
                           "action #1: status_check interval must be at least 1 second"};
    }

    void findsProblemsInOrder()
    {
        QFETCH(Deck, deck);
        QFETCH(QStringList, problems);
        QCOMPARE(DeckValidator::problems(deck), problems);
    }

    // A non-finite time-out or interval cannot be written as JSON, so a deck holding one could
    // be neither saved nor sent: the rules refuse it where a bad number would be refused.
    void refusesNonFiniteNumbers_data()
    {
        QTest::addColumn<Deck>("deck");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("NaN timeout")
            << deckOf({button("x", shell("true", notANumber))})
            << QStringList{"\"x\": action timeout must be a finite number of seconds"};
        QTest::newRow("infinite timeout")
            << deckOf({button("x", shell("true", infinity))})
            << QStringList{"\"x\": action timeout must be a finite number of seconds"};
        QTest::newRow("infinite timeout between target and app control")
            << deckOf({button("x", Action{Action::Kind::appControl, "", infinity, "", "on"})})
            << QStringList{"\"x\": action target is empty",
                           "\"x\": action timeout must be a finite number of seconds",
                           "\"x\": action needs the app's control"};
        // Negative infinity already fails the ordinary rule and keeps its text.
        QTest::newRow("negative infinite timeout")
            << deckOf({button("x", shell("true", -infinity))})
            << QStringList{"\"x\": action timeout must be positive"};
        QTest::newRow("NaN off_action timeout")
            << deckOf({toggle("t", shell("a"), shell("b", notANumber), check("c"))})
            << QStringList{"\"t\": off_action timeout must be a finite number of seconds"};
        QTest::newRow("NaN interval")
            << deckOf({metric("m", check("true", notANumber))})
            << QStringList{"\"m\": status_check interval must be a finite number of seconds"};
        QTest::newRow("negative infinite interval")
            << deckOf({metric("m", check("true", -infinity))})
            << QStringList{"\"m\": status_check interval must be at least 1 second"};
        StatusCheck appCheck{StatusCheck::Kind::appControl, QString(), infinity, std::nullopt};
        QTest::newRow("infinite interval after the other status check problems")
            << deckOf({metric("m", appCheck)})
            << QStringList{"\"m\": status_check target is empty",
                           "\"m\": status_check needs the app's control",
                           "\"m\": status_check interval must be a finite number of seconds"};
    }

    void refusesNonFiniteNumbers()
    {
        QFETCH(Deck, deck);
        QFETCH(QStringList, problems);
        QCOMPARE(DeckValidator::problems(deck), problems);
        QVERIFY(!WireCodec::prettyEncoder(true).encode(deck));
    }

    // The sample keeps its ids, titles, types, icons, time-out and interval, and says what it
    // does with commands this desktop runs.
    void sampleDeckIsTheDocumentedOne()
    {
        const Deck sample = Deck::sample();
        QCOMPARE(sample.deckName, QStringLiteral("Studio Controls"));
        QCOMPARE(sample.controls.size(), std::size_t(3));
        const Control &stream = sample.controls[0];
        QCOMPARE(stream.id, QStringLiteral("turntable_stream"));
        QCOMPARE(stream.title, QStringLiteral("Turntable Stream"));
        QCOMPARE(stream.type, ControlType::toggle);
        QCOMPARE(stream.icon, std::optional<QString>("record.circle"));
        QCOMPARE(stream.onAction, std::optional(Action{Action::Kind::app, "SonoBus", std::nullopt,
                                                       std::nullopt, std::nullopt}));
        QCOMPARE(stream.offAction, std::optional(Action{Action::Kind::applescript,
                                                        "tell application \"SonoBus\" to quit", 30,
                                                        std::nullopt, std::nullopt}));
        QCOMPARE(quitAppName(stream.offAction->target), std::optional<QString>("SonoBus"));
        QCOMPARE(stream.statusCheck,
                 std::optional(StatusCheck{StatusCheck::Kind::processRunning, "SonoBus",
                                           std::nullopt, std::nullopt}));

        const Control &hello = sample.controls[1];
        QCOMPARE(hello.id, QStringLiteral("say_hello"));
        QCOMPARE(hello.title, QStringLiteral("Say Hello"));
        QCOMPARE(hello.type, ControlType::button);
        QCOMPARE(hello.icon, std::optional<QString>("speaker.wave.2"));
        QCOMPARE(hello.action,
                 std::optional(Action{Action::Kind::shell, "notify-send 'Hello from the studio'",
                                      std::nullopt, std::nullopt, std::nullopt}));

        const Control &uptime = sample.controls[2];
        QCOMPARE(uptime.id, QStringLiteral("uptime"));
        QCOMPARE(uptime.title, QStringLiteral("Uptime"));
        QCOMPARE(uptime.type, ControlType::metric);
        QCOMPARE(uptime.icon, std::optional<QString>("clock"));
        QCOMPARE(uptime.statusCheck,
                 std::optional(StatusCheck{StatusCheck::Kind::shellOutput,
                                           readoutPresetCommand(ReadoutPreset::uptime), 30,
                                           std::nullopt}));
        QCOMPARE(readoutPresetForCommand(uptime.statusCheck->target), ReadoutPreset::uptime);
        QVERIFY(WireCodec::prettyEncoder(true).encode(sample)->contains(R"(sed 's\/^up \/\/')"));
    }

    void sampleDeckCopiesAreIndependent()
    {
        Deck copy = Deck::sample();
        copy.controls.clear();
        QCOMPARE(Deck::sample().controls.size(), std::size_t(3));
    }
};

QTEST_GUILESS_MAIN(DeckValidatorTest)
#include "DeckValidatorTest.moc"

#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionWording.h"

#include <limits>

using namespace Quorvel;
using namespace EditorTest;

namespace {

// Exactly 42 characters, and one more.
const QString command42 = QStringLiteral("echo ") + QString(37, u'a');
const QString command43 = command42 + u'b';
const QString cut43 = command43.left(40) + QChar(0x2026);

} // namespace

// The phrases the editor builds its sentences from.
class ActionWordingTest : public QObject {
    Q_OBJECT

private slots:
    void wordsActions_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<bool>("withCatalog");
        QTest::addColumn<QString>("phrase");
        using K = Action::Kind;
        for (const K kind :
             {K::app, K::shortcut, K::shell, K::applescript, K::script, K::appControl})
            QTest::addRow("empty %d", int(kind))
                << action(kind, " \n ") << false << "does nothing yet";
        QTest::newRow("app") << action(K::app, " Rhythmbox ") << false << "opens Rhythmbox";
        QTest::newRow("shortcut") << action(K::shortcut, "Morning") << false << "runs Morning";
        QTest::newRow("open bare") << action(K::shell, "open -a Safari") << false << "opens Safari";
        QTest::newRow("open double quotes")
            << action(K::shell, "open -a \"Google Chrome\"") << false << "opens Google Chrome";
        QTest::newRow("open single quotes")
            << action(K::shell, "  open  -a 'My App' \n") << false << "opens My App";
        QTest::newRow("open with arguments") << action(K::shell, "open -a Safari --args x") << false
                                             << "runs the command open -a Safari --args x";
        QTest::newRow("command of 42")
            << action(K::shell, command42) << false << "runs the command " + command42;
        QTest::newRow("command of 43")
            << action(K::shell, command43) << false << "runs the command " + cut43;
        QTest::newRow("two lines")
            << action(K::shell, "cd /tmp\nls") << false << "runs the command cd /tmp ls";
        QTest::newRow("quit form") << action(K::applescript, "tell application \"Music\" to quit")
                                   << false << "quits Music";
        QTest::newRow("quit form, blanks around")
            << action(K::applescript, "  tell application \"Music\" to quit\t") << false
            << "quits Music";
        QTest::newRow("quit form, line breaks around")
            << action(K::applescript, "\ntell application \"Music\" to quit\n") << false
            << "quits Music";
        QTest::newRow("quit form, line break inside")
            << action(K::applescript, "tell application \"Music\"\nto quit") << false
            << "runs an AppleScript";
        QTest::newRow("quit form, other case")
            << action(K::applescript, "Tell Application \"Music\" to quit") << false
            << "runs an AppleScript";
        QTest::newRow("quit form, more after it")
            << action(K::applescript, "tell application \"Music\" to quit\ndo shell script \"x\"")
            << false << "runs an AppleScript";
        QTest::newRow("quit form, quote in the name")
            << action(K::applescript, "tell application \"A\" to quit\" to quit") << false
            << "runs an AppleScript";
        QTest::newRow("quit form, empty name")
            << action(K::applescript, "tell application \"\" to quit") << false
            << "runs an AppleScript";
        QTest::newRow("script") << action(K::script, "/home/me/bin/backup.sh") << false
                                << "runs the script /home/me/bin/backup.sh";
        QTest::newRow("level") << appControlAction("a.b.Player", "Mute", "0.25") << false
                               << "sets Mute in Player to 25%";
        QTest::newRow("level one") << appControlAction("a.b.Player", "Mute", "1") << false
                                   << "sets Mute in Player to 100%";
        QTest::newRow("level half a percent rounds up")
            << appControlAction("a.b.Player", "Mute", "0.125") << false
            << "sets Mute in Player to 13%";
        QTest::newRow("press") << appControlAction("a.b.Player", "Mute", "press") << false
                               << "presses Mute in Player";
        QTest::newRow("on") << appControlAction("a.b.Player", "mute", "on") << true
                            << "turns Mute in Player Pro on";
        QTest::newRow("off") << appControlAction("a.b.Player", "mute", "off") << true
                             << "turns Mute in Player Pro off";
        QTest::newRow("out of range")
            << appControlAction("a.b.Player", "Mute", "1.5") << false << "uses Mute in Player";
        QTest::newRow("no value") << appControlAction("a.b.Player", "Mute", std::nullopt) << false
                                  << "uses Mute in Player";
    }
    void wordsActions()
    {
        QFETCH(Action, action);
        QFETCH(bool, withCatalog);
        QFETCH(QString, phrase);
        const auto catalog = withCatalog ? std::optional(studioCatalog()) : std::nullopt;
        QCOMPARE(actionPhrase(action, catalog), phrase);
    }

    void wordsStatusChecks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<std::optional<QString>>("control");
        QTest::addColumn<QString>("phrase");
        using K = StatusCheck::Kind;
        const std::optional<QString> none;
        QTest::newRow("running, empty")
            << int(K::processRunning) << " " << none << "an app is running";
        QTest::newRow("running") << int(K::processRunning) << " Rhythmbox\n"
                                 << none << "Rhythmbox is running";
        QTest::newRow("exit code, empty")
            << int(K::shellExitCode) << "" << none << "a command succeeds";
        QTest::newRow("exit code") << int(K::shellExitCode) << "pgrep -x obs\n"
                                   << none << "pgrep -x obs succeeds";
        QTest::newRow("exit code, long")
            << int(K::shellExitCode) << command43 << none << cut43 + " succeeds";
        QTest::newRow("output") << int(K::shellOutput) << "uptime" << none
                                << "a command has output";
        QTest::newRow("output, empty")
            << int(K::shellOutput) << "" << none << "a command has output";
        QTest::newRow("app control, empty")
            << int(K::appControl) << "" << std::optional<QString>("mute")
            << "an app's switch is on";
        QTest::newRow("app control")
            << int(K::appControl) << "a.b.Player" << std::optional<QString>("mute")
            << "Mute in Player Pro is on";
    }
    void wordsStatusChecks()
    {
        QFETCH(int, kind);
        QFETCH(QString, target);
        QFETCH(std::optional<QString>, control);
        QFETCH(QString, phrase);
        QCOMPARE(statusCheckPhrase(StatusCheck::Kind(kind), target, control, studioCatalog()),
                 phrase);
    }

    void wordsIntervals_data()
    {
        QTest::addColumn<std::optional<double>>("interval");
        QTest::addColumn<QString>("phrase");
        const auto seconds = [](double s) { return std::optional<double>(s); };
        QTest::newRow("absent") << std::optional<double>() << "every 5 seconds";
        QTest::newRow("half") << seconds(0.5) << "every second";
        QTest::newRow("one") << seconds(1) << "every second";
        QTest::newRow("negative") << seconds(-30) << "every second";
        QTest::newRow("just below a minute") << seconds(59.9) << "every 59 seconds";
        QTest::newRow("minute") << seconds(60) << "every minute";
        QTest::newRow("ninety") << seconds(90) << "every 90 seconds";
        QTest::newRow("two minutes") << seconds(120) << "every 2 minutes";
        QTest::newRow("hour") << seconds(3600) << "every hour";
        QTest::newRow("ninety minutes") << seconds(5400) << "every 90 minutes";
        QTest::newRow("two hours") << seconds(7200) << "every 2 hours";
        QTest::newRow("a day") << seconds(86400) << "every 24 hours";
        QTest::newRow("beyond a day") << seconds(90000) << "every 24 hours";
        QTest::newRow("beyond any whole number") << seconds(1e300) << "every 24 hours";
        QTest::newRow("infinite") << seconds(std::numeric_limits<double>::infinity())
                                  << "every 24 hours";
        QTest::newRow("not a number")
            << seconds(std::numeric_limits<double>::quiet_NaN()) << "every second";
    }
    void wordsIntervals()
    {
        QFETCH(std::optional<double>, interval);
        QFETCH(QString, phrase);
        QCOMPARE(intervalPhrase(interval), phrase);
    }

    void namesAppControls_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<std::optional<QString>>("control");
        QTest::addColumn<bool>("withCatalog");
        QTest::addColumn<QString>("phrase");
        const auto id = [](const char *text) { return std::optional<QString>(text); };
        QTest::newRow("no catalog") << "a.b.Player" << id("mute") << false << "mute in Player";
        QTest::newRow("named by the catalog")
            << "a.b.Player" << id("mute") << true << "Mute in Player Pro";
        QTest::newRow("unknown item") << "a.b.Player" << id("x") << true << "x in Player Pro";
        QTest::newRow("no item") << "a.b.Player" << std::optional<QString>() << true
                                 << "a control in Player Pro";
        QTest::newRow("app not offering")
            << "org.other.Mixer" << id("fader") << true << "fader in Mixer";
        QTest::newRow("plain name") << "Player" << id("mute") << false << "mute in Player";
        QTest::newRow("trailing dots") << "a.b.." << id("mute") << false << "mute in b";
        QTest::newRow("only dots") << ".." << id("mute") << false << "mute in ..";
        QTest::newRow("empty app") << "" << std::optional<QString>() << false << "a control in ";
    }
    void namesAppControls()
    {
        QFETCH(QString, app);
        QFETCH(std::optional<QString>, control);
        QFETCH(bool, withCatalog);
        QFETCH(QString, phrase);
        const auto catalog = withCatalog ? std::optional(studioCatalog()) : std::nullopt;
        QCOMPARE(appControlPhrase(app, control, catalog), phrase);
    }

    void findsOpenedApps_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<std::optional<QString>>("app");
        using K = Action::Kind;
        const auto name = [](const char *text) { return std::optional<QString>(text); };
        QTest::newRow("app, untrimmed") << action(K::app, " Rhythmbox") << name(" Rhythmbox");
        QTest::newRow("open -a") << action(K::shell, "open -a Safari") << name("Safari");
        QTest::newRow("double quotes") << action(K::shell, "open -a \"A B\"") << name("A B");
        QTest::newRow("single quotes") << action(K::shell, "open -a 'A B'") << name("A B");
        QTest::newRow("unclosed quote")
            << action(K::shell, "open -a \"A B") << std::optional<QString>();
        QTest::newRow("more arguments")
            << action(K::shell, "open -a Safari x") << std::optional<QString>();
        QTest::newRow("other option")
            << action(K::shell, "open -b Safari") << std::optional<QString>();
        QTest::newRow("script") << action(K::script, "open -a Safari") << std::optional<QString>();
        QTest::newRow("shortcut") << action(K::shortcut, "Safari") << std::optional<QString>();
    }
    void findsOpenedApps()
    {
        QFETCH(Action, action);
        QFETCH(std::optional<QString>, app);
        QCOMPARE(openCommandApp(action), app);
    }

    // Characters are what the user sees: a flag or a letter with an accent is one.
    void countsUserPerceivedCharacters()
    {
        const QString flag = QStringLiteral("\U0001F1E9\U0001F1EA");
        const QString accented = QStringLiteral("e\u0301");
        QCOMPARE(flattenedText(QString(42, u'x').replace(0, 1, flag)),
                 QString(42, u'x').replace(0, 1, flag));
        const QString accents = accented.repeated(43);
        QCOMPARE(flattenedText(accents), accented.repeated(40) + QChar(0x2026));
        QCOMPARE(flattenedText(accented.repeated(42)), accented.repeated(42));
    }
};

QTEST_GUILESS_MAIN(ActionWordingTest)
#include "ActionWordingTest.moc"

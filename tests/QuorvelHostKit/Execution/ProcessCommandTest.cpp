#include "QuorvelHostKit/Execution/ProcessCommand.h"
#include "QuorvelHostKit/Execution/ShortcutList.h"

#include <QDir>
#include <QTest>

using namespace Quorvel;

namespace {

ExecutorTools tools()
{
    ExecutorTools tools;
    tools.zsh = QStringLiteral("/test/zsh");
    tools.pgrep = QStringLiteral("/test/pgrep");
    tools.shortcuts = QStringLiteral("/test/quorvel-shortcuts");
    tools.osascript = QStringLiteral("/test/osascript");
    return tools;
}

Action action(Action::Kind kind, const QString &target, std::optional<double> timeout)
{
    Action action;
    action.type = kind;
    action.target = target;
    action.timeout = timeout;
    return action;
}

} // namespace

class ProcessCommandTest : public QObject {
    Q_OBJECT

private slots:
    void actionCommands_data();
    void actionCommands();
    void kindsRunInsideTheHostHaveNoCommand_data();
    void kindsRunInsideTheHostHaveNoCommand();
    void checkCommands_data();
    void checkCommands();
    void tildeExpansion_data();
    void tildeExpansion();
    void shortcutListParsing_data();
    void shortcutListParsing();
};

void ProcessCommandTest::actionCommands_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<ProcessCommand>("command");
    const QString home = QDir::homePath();
    QTest::newRow("shell without time-out") << action(Action::Kind::shell, "say hi", std::nullopt)
                                            << ProcessCommand{"/test/zsh", {"-lc", "say hi"}, 60};
    QTest::newRow("shell with time-out") << action(Action::Kind::shell, "make", 5.0)
                                         << ProcessCommand{"/test/zsh", {"-lc", "make"}, 5};
    QTest::newRow("shortcut") << action(Action::Kind::shortcut, "Lights Off", std::nullopt)
                              << ProcessCommand{
                                     "/test/quorvel-shortcuts", {"run", "Lights Off"}, 60};
    QTest::newRow("applescript") << action(Action::Kind::applescript, "beep", 2.5)
                                 << ProcessCommand{"/test/osascript", {"-e", "beep"}, 2.5};
    QTest::newRow("script under home")
        << action(Action::Kind::script, "~/bin/backup.sh", std::nullopt)
        << ProcessCommand{"/test/zsh", {"-l", home + "/bin/backup.sh"}, 60};
    QTest::newRow("script by absolute path")
        << action(Action::Kind::script, "/opt/run me.sh", 1.0)
        << ProcessCommand{"/test/zsh", {"-l", "/opt/run me.sh"}, 1};
}

void ProcessCommandTest::actionCommands()
{
    QFETCH(Action, action);
    QFETCH(ProcessCommand, command);
    QCOMPARE(ProcessCommand::forAction(action, tools()), command);
}

void ProcessCommandTest::kindsRunInsideTheHostHaveNoCommand_data()
{
    QTest::addColumn<Action::Kind>("kind");
    QTest::newRow("app") << Action::Kind::app;
    QTest::newRow("app_control") << Action::Kind::appControl;
}

void ProcessCommandTest::kindsRunInsideTheHostHaveNoCommand()
{
    QFETCH(Action::Kind, kind);
    QCOMPARE(ProcessCommand::forAction(action(kind, "Editor", 5.0), tools()), std::nullopt);
}

void ProcessCommandTest::checkCommands_data()
{
    QTest::addColumn<ProcessCommand>("command");
    QTest::addColumn<ProcessCommand>("expected");
    QTest::newRow("shell check") << ProcessCommand::forShellCheck("pgrep -q x", tools())
                                 << ProcessCommand{"/test/zsh", {"-lc", "pgrep -q x"}, 15};
    QTest::newRow("short process name") << ProcessCommand::forProcessLookup("Xorg", tools())
                                        << ProcessCommand{"/test/pgrep", {"-x", "--", "Xorg"}, 5};
    QTest::newRow("name like an option") << ProcessCommand::forProcessLookup("-v", tools())
                                         << ProcessCommand{"/test/pgrep", {"-x", "--", "-v"}, 5};
    QTest::newRow("short name with pattern characters")
        << ProcessCommand::forProcessLookup("g++ (x.y)", tools())
        << ProcessCommand{"/test/pgrep", {"-x", "--", "g\\+\\+ \\(x\\.y\\)"}, 5};
    QTest::newRow("fifteen bytes")
        << ProcessCommand::forProcessLookup("abcdefghijklmno", tools())
        << ProcessCommand{"/test/pgrep", {"-x", "--", "abcdefghijklmno"}, 5};
    QTest::newRow("longer than the kernel keeps")
        << ProcessCommand::forProcessLookup("gnome-shell-calendar-server", tools())
        << ProcessCommand{
               "/test/pgrep", {"-f", "--", "^([^ ]*/)?gnome-shell-calendar-server( |$)"}, 5};
    QTest::newRow("long name with pattern characters")
        << ProcessCommand::forProcessLookup("my.app(v2)+helper*", tools())
        << ProcessCommand{
               "/test/pgrep", {"-f", "--", "^([^ ]*/)?my\\.app\\(v2\\)\\+helper\\*( |$)"}, 5};
    QTest::newRow("shortcut list") << ProcessCommand::forShortcutList(tools())
                                   << ProcessCommand{"/test/quorvel-shortcuts", {"list"}, 20};
}

void ProcessCommandTest::checkCommands()
{
    QFETCH(ProcessCommand, command);
    QFETCH(ProcessCommand, expected);
    QCOMPARE(command, expected);
}

void ProcessCommandTest::tildeExpansion_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expanded");
    const QString home = QDir::homePath();
    QTest::newRow("home alone") << "~" << home;
    QTest::newRow("under home") << "~/a b/c.sh" << home + "/a b/c.sh";
    QTest::newRow("another user's home") << "~root/x.sh"
                                         << "/root/x.sh";
    QTest::newRow("unknown user") << "~nosuchuser-quorvel/x"
                                  << "~nosuchuser-quorvel/x";
    QTest::newRow("tilde inside") << "/tmp/~/x"
                                  << "/tmp/~/x";
    QTest::newRow("relative") << "x.sh"
                              << "x.sh";
}

void ProcessCommandTest::tildeExpansion()
{
    QFETCH(QString, path);
    QFETCH(QString, expanded);
    QCOMPARE(expandTilde(path), expanded);
}

void ProcessCommandTest::shortcutListParsing_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("nothing") << "" << QStringList();
    QTest::newRow("trimmed, blank lines dropped, sorted without regard to case")
        << "Zebra Lights\n\n  morning routine \t\nAlarm\n \t \n"
        << QStringList{"Alarm", "morning routine", "Zebra Lights"};
    QTest::newRow("names equal but for case keep their order")
        << "beta\nAlpha\nalpha\n"
        << QStringList{"Alpha", "alpha", "beta"};
}

void ProcessCommandTest::shortcutListParsing()
{
    QFETCH(QString, output);
    QFETCH(QStringList, names);
    QCOMPARE(parseShortcutList(output), names);
}

QTEST_APPLESS_MAIN(ProcessCommandTest)
#include "ProcessCommandTest.moc"

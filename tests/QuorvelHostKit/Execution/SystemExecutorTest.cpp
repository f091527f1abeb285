#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "StandIn.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

Action action(Action::Kind kind, const QString &target)
{
    Action action;
    action.type = kind;
    action.target = target;
    return action;
}

StatusCheck check(StatusCheck::Kind kind, const QString &target)
{
    StatusCheck check;
    check.type = kind;
    check.target = target;
    return check;
}

} // namespace

class SystemExecutorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void shellActionKeepsOutput();
    void shortcutActionRunsTheTool();
    void appleScriptWithoutToolFailsAtOnce();
    void appleScriptRunsTheToolWhereOneIsGiven();
    void appControlWithoutBridge();
    void shellChecks_data();
    void shellChecks();
    void checkThatCannotRunTellsWhy();
    void aNulIsNeverPassedToAProgram_data();
    void aNulIsNeverPassedToAProgram();
    void listsShortcuts_data();
    void listsShortcuts();

private:
    ExecutionResult run(const Action &action);
    StatusOutcome status(const StatusCheck &check);
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<SystemExecutor> m_executor;
};

void SystemExecutorTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeStandIn(path("echo-arguments"), R"(printf '%s|' "$@")"));
}

void SystemExecutorTest::init()
{
    m_executor = std::make_unique<SystemExecutor>();
    ExecutorTools tools = m_executor->tools();
    tools.osascript = path("no-osascript-here");
    tools.shortcuts = path("echo-arguments");
    m_executor->setTools(tools);
}

ExecutionResult SystemExecutorTest::run(const Action &action)
{
    const ExecutionOutcome outcome = QCoro::waitFor(m_executor->run(action));
    if (const auto *error = std::get_if<ExecutionError>(&outcome))
        qWarning("run failed: %s", qUtf8Printable(error->description()));
    return std::get<ExecutionResult>(outcome);
}

StatusOutcome SystemExecutorTest::status(const StatusCheck &check)
{
    return QCoro::waitFor(m_executor->status(check));
}

void SystemExecutorTest::shellActionKeepsOutput()
{
    const ExecutionResult result = run(action(Action::Kind::shell, "print hi"));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.standardOutput, QStringLiteral("hi\n"));
    QCOMPARE(result.summary(), QStringLiteral("hi"));
}

void SystemExecutorTest::shortcutActionRunsTheTool()
{
    const ExecutionResult result = run(action(Action::Kind::shortcut, "Lights; Off"));
    QCOMPARE(result.standardOutput, QStringLiteral("run|Lights; Off|"));
}

void SystemExecutorTest::appleScriptWithoutToolFailsAtOnce()
{
    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor->run(action(Action::Kind::applescript, "beep")));
    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(error->description(),
             QStringLiteral("launch failed: AppleScript isn't available on this computer: only "
                            "tell application \"NAME\" to quit runs here"));
}

void SystemExecutorTest::appleScriptRunsTheToolWhereOneIsGiven()
{
    ExecutorTools tools = m_executor->tools();
    tools.osascript = path("echo-arguments");
    m_executor->setTools(tools);
    const ExecutionResult result = run(action(Action::Kind::applescript, "display dialog \"x\""));
    QCOMPARE(result.standardOutput, QStringLiteral("-e|display dialog \"x\"|"));
}

void SystemExecutorTest::appControlWithoutBridge()
{
    const ExecutionResult result = run(action(Action::Kind::appControl, "com.example.mixer"));
    QCOMPARE(result, (ExecutionResult{1, QString(), "Controlling apps isn't available here"}));
    QCOMPARE(result.summary(), QStringLiteral("Controlling apps isn't available here"));

    const StatusOutcome outcome = status(check(StatusCheck::Kind::appControl, "com.example.mixer"));
    QCOMPARE(outcome, (StatusOutcome{std::nullopt, "Controlling apps isn't available here"}));
}

void SystemExecutorTest::shellChecks_data()
{
    QTest::addColumn<StatusCheck>("check");
    QTest::addColumn<StatusOutcome>("outcome");
    QTest::newRow("exit code 0 without output")
        << check(StatusCheck::Kind::shellExitCode, "true") << StatusOutcome{true, std::nullopt};
    QTest::newRow("exit code 1 with a value")
        << check(StatusCheck::Kind::shellExitCode, "print '  42 %\n'; exit 1")
        << StatusOutcome{false, "42 %"};
    QTest::newRow("output") << check(StatusCheck::Kind::shellOutput, "print 23.5°C")
                            << StatusOutcome{std::nullopt, "23.5°C"};
    QTest::newRow("output of a failing command")
        << check(StatusCheck::Kind::shellOutput, "print -u2 'no sensor'; exit 2")
        << StatusOutcome{std::nullopt, "no sensor"};
    QTest::newRow("command of several lines")
        << check(StatusCheck::Kind::shellOutput, "print one\n\nprint two")
        << StatusOutcome{std::nullopt, "one\ntwo"};
    QTest::newRow("silent failure")
        << check(StatusCheck::Kind::shellOutput, "exit 3") << StatusOutcome{std::nullopt, "exit 3"};
}

void SystemExecutorTest::shellChecks()
{
    QFETCH(StatusCheck, check);
    QFETCH(StatusOutcome, outcome);
    QCOMPARE(status(check), outcome);
}

void SystemExecutorTest::checkThatCannotRunTellsWhy()
{
    ExecutorTools tools = m_executor->tools();
    tools.zsh = path("no-shell-here");
    m_executor->setTools(tools);
    for (const auto kind : {StatusCheck::Kind::shellExitCode, StatusCheck::Kind::shellOutput}) {
        const StatusOutcome outcome = status(check(kind, "true"));
        QCOMPARE(outcome.isOn, std::nullopt);
        QVERIFY(outcome.detail && outcome.detail->startsWith(QStringLiteral("launch failed: ")));
    }
}

// A program's arguments end at their first NUL, so a command holding one would run only up to it
// and report success: it is refused, saying why, and nothing of it runs.
void SystemExecutorTest::aNulIsNeverPassedToAProgram_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<StatusCheck>("check");
    const QString nul(QChar(0));
    const QString rest = "; touch " + path("afterNUL");
    QTest::newRow("command") << action(Action::Kind::shell, "print a" + nul + "b" + rest)
                             << check(StatusCheck::Kind::shellExitCode, "print a" + nul + rest);
    QTest::newRow("command's end") << action(Action::Kind::shell, "touch " + path("afterNUL") + nul)
                                   << check(StatusCheck::Kind::shellOutput, rest + nul);
    QTest::newRow("script file") << action(Action::Kind::script, path("echo-arguments") + nul + "x")
                                 << check(StatusCheck::Kind::shellOutput, nul);
    QTest::newRow("shortcut") << action(Action::Kind::shortcut, "Lights" + nul + rest)
                              << check(StatusCheck::Kind::shellExitCode, nul + rest);
    QTest::newRow("AppleScript") << action(Action::Kind::applescript, "beep" + nul + rest)
                                 << check(StatusCheck::Kind::shellOutput, "true" + nul);
}

void SystemExecutorTest::aNulIsNeverPassedToAProgram()
{
    QFETCH(Action, action);
    QFETCH(StatusCheck, check);
    ExecutorTools tools = m_executor->tools();
    tools.osascript = path("echo-arguments");
    m_executor->setTools(tools);
    const QString refusal = QStringLiteral("launch failed: a command can't hold a NUL character");

    const ExecutionOutcome outcome = QCoro::waitFor(m_executor->run(action));
    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(error->description(), refusal);
    QCOMPARE(status(check), (StatusOutcome{std::nullopt, refusal}));
    QVERIFY(!QFileInfo::exists(path("afterNUL")));
}

void SystemExecutorTest::listsShortcuts_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("three names") << QByteArray(R"(printf 'Zebra\n\n  morning \nAlarm\n')")
                                 << QStringList{"Alarm", "morning", "Zebra"};
    QTest::newRow("tool fails") << QByteArray("echo Alarm; exit 1") << QStringList();
    QTest::newRow("tool missing") << QByteArray() << QStringList();
}

void SystemExecutorTest::listsShortcuts()
{
    QFETCH(QByteArray, tool);
    QFETCH(QStringList, names);
    ExecutorTools tools = m_executor->tools();
    tools.shortcuts = path("shortcuts-" + QString::fromLatin1(QTest::currentDataTag()));
    if (!tool.isEmpty())
        QVERIFY(writeStandIn(tools.shortcuts, tool));
    m_executor->setTools(tools);
    QCOMPARE(QCoro::waitFor(m_executor->listShortcuts()), names);
}

QTEST_GUILESS_MAIN(SystemExecutorTest)
#include "SystemExecutorTest.moc"

#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "DesktopEntryFile.h"
#include "StandIn.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Quorvel;

namespace {

const QString editorId = QStringLiteral("org.quorvel.FixtureEditor.desktop");
const QString appleScriptMissing =
    QStringLiteral("AppleScript isn't available on this computer: only tell application \"NAME\" "
                   "to quit runs here");

Action appleScript(const QString &target)
{
    Action action;
    action.type = Action::Kind::applescript;
    action.target = target;
    return action;
}

bool stillRuns(QProcess *process)
{
    return process->state() == QProcess::Running && !process->waitForFinished(0);
}

} // namespace

// The action kind app and the process_running check, against desktop entries of a fixture XDG
// folder and real processes.
class ExecutorApplicationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void appActionLaunchesTheEntry_data();
    void appActionLaunchesTheEntry();
    void unknownApplicationFails();
    void runningApplicationIsFoundWithoutProcessLookup_data();
    void runningApplicationIsFoundWithoutProcessLookup();
    void processLookupDecidesForOtherNames_data();
    void processLookupDecidesForOtherNames();
    void quitFormEndsTheApplication_data();
    void quitFormEndsTheApplication();
    void quitFormSucceedsWhenNothingRuns();
    void quitFormOfUnknownApplicationFails();
    void otherAppleScriptStillFails_data();
    void otherAppleScriptStillFails();
    void namingItselfLikeTheApplicationIsNotRunningIt();
    void quitLeavesOtherUsersProcessesAlone();
    void quitAsksOnlyTheMainProcess();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void startProcess(const QString &program);
    // A process of its own that the test ends or checks; it is killed at the end of the test.
    QProcess *startOwned(const QString &program, const QStringList &arguments = {});
    bool isRunning(const QString &name) { return QCoro::waitFor(m_executor.isRunning(name)); }

    QTemporaryDir m_dir;
    SystemExecutor m_executor;
    QList<QProcess *> m_running;
    QList<QProcess *> m_owned;
};

void ExecutorApplicationsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system-data")));
    const QString applications =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";
    QVERIFY(QDir().mkpath(path("bin")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/fixture-editor")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/quorvel-short")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/quorvel-long-running-helper")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/qv(1)+x.y")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/quorvel+long(2).helper")));
    QVERIFY(writeStandIn(path("bin/launch-probe"),
                         "echo launched > " + QFile::encodeName(path("launched"))));
    QVERIFY(writeStandIn(path("pgrep-spy"),
                         "touch " + QFile::encodeName(path("pgrep-ran")) + "\nexit 1"));
    QVERIFY(writeEntry(applications + "/" + editorId, "Fixture Editor",
                       path("bin/fixture-editor") + " %F"));
    QVERIFY(writeEntry(applications + "/launch-probe.desktop", "Launch Probe",
                       path("bin/launch-probe")));
    // An application whose name is not its program's, and whose program is a script: what runs
    // is its interpreter.
    QFile player(path("bin/test-player"));
    QVERIFY(player.open(QIODevice::WriteOnly));
    player.write("#!/usr/bin/python3\nimport time\ntime.sleep(300)\n");
    player.close();
    QVERIFY(player.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(writeEntry(applications + "/test-player.desktop", "Test Player",
                       path("bin/test-player") + " %U"));
    // An application with a helper process of its own program, which it ends itself when asked
    // to quit; a helper asked directly leaves a mark.
    QFile family(path("bin/family-player"));
    QVERIFY(family.open(QIODevice::WriteOnly));
    family.write("#!/usr/bin/python3\n"
                 "import os, signal, sys, time\n"
                 "mark = sys.argv[1]\n"
                 "helper = 0\n"
                 "def quit(*_):\n"
                 "    if helper:\n"
                 "        os.kill(helper, signal.SIGUSR1)\n"
                 "        os.waitpid(helper, 0)\n"
                 "    sys.exit(0)\n"
                 "def helper_asked(*_):\n"
                 "    open(mark, 'w').write('helper asked to end')\n"
                 "    sys.exit(0)\n"
                 "signal.signal(signal.SIGTERM, quit)\n"
                 "helper = os.fork()\n"
                 "if helper == 0:\n"
                 "    signal.signal(signal.SIGTERM, helper_asked)\n"
                 "    signal.signal(signal.SIGUSR1, lambda *_: sys.exit(0))\n"
                 "    open(mark + '.helper', 'w').write(str(os.getpid()))\n"
                 "time.sleep(300)\n");
    family.close();
    QVERIFY(family.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(writeEntry(applications + "/family-player.desktop", "Family Player",
                       path("bin/family-player")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/shared-tool")));
    QVERIFY(
        writeEntry(applications + "/shared-tool.desktop", "Shared Tool", path("bin/shared-tool")));

    startProcess(path("bin/fixture-editor"));
    startProcess(path("bin/quorvel-short"));
    startProcess(path("bin/quorvel-long-running-helper"));
    startProcess(path("bin/qv(1)+x.y"));
    startProcess(path("bin/quorvel+long(2).helper"));
}

void ExecutorApplicationsTest::cleanupTestCase()
{
    for (QProcess *process : std::as_const(m_running)) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
}

QProcess *ExecutorApplicationsTest::startOwned(const QString &program, const QStringList &arguments)
{
    auto *process = new QProcess;
    m_owned.append(process);
    process->start(program, arguments);
    return process->waitForStarted() ? process : nullptr;
}

void ExecutorApplicationsTest::cleanup()
{
    for (QProcess *process : std::as_const(m_owned)) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
    m_owned.clear();
}

void ExecutorApplicationsTest::init()
{
    m_executor.setTools(ExecutorTools::defaults());
    QFile::remove(path("launched"));
    QFile::remove(path("pgrep-ran"));
}

void ExecutorApplicationsTest::startProcess(const QString &program)
{
    auto *process = new QProcess;
    process->start(program, {"300"});
    QVERIFY(process->waitForStarted());
    m_running.append(process);
}

void ExecutorApplicationsTest::appActionLaunchesTheEntry_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("by name") << "Launch Probe";
    QTest::newRow("by id") << "launch-probe";
}

void ExecutorApplicationsTest::appActionLaunchesTheEntry()
{
    QFETCH(QString, target);
    Action action;
    action.type = Action::Kind::app;
    action.target = target;
    const ExecutionOutcome outcome = QCoro::waitFor(m_executor.run(action));
    QCOMPARE(std::get<ExecutionResult>(outcome), ExecutionResult{});
    QTRY_VERIFY(QFile::exists(path("launched")));
}

void ExecutorApplicationsTest::unknownApplicationFails()
{
    Action action;
    action.type = Action::Kind::app;
    action.target = "Nonexistent Studio";
    const ExecutionOutcome outcome = QCoro::waitFor(m_executor.run(action));
    const auto result = std::get<ExecutionResult>(outcome);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.standardError,
             QStringLiteral("Unable to find application named 'Nonexistent Studio'\n"));
}

void ExecutorApplicationsTest::runningApplicationIsFoundWithoutProcessLookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("name") << "Fixture Editor";
    QTest::newRow("name in other case") << "fixture editor";
    QTest::newRow("executable") << "FIXTURE-EDITOR";
    QTest::newRow("id") << "org.quorvel.fixtureeditor";
}

void ExecutorApplicationsTest::runningApplicationIsFoundWithoutProcessLookup()
{
    QFETCH(QString, name);
    ExecutorTools tools = m_executor.tools();
    tools.pgrep = path("pgrep-spy");
    m_executor.setTools(tools);

    StatusCheck check;
    check.type = StatusCheck::Kind::processRunning;
    check.target = name;
    QCOMPARE(QCoro::waitFor(m_executor.status(check)), (StatusOutcome{true, "running"}));
    QVERIFY(!QFile::exists(path("pgrep-ran")));
}

void ExecutorApplicationsTest::processLookupDecidesForOtherNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("running");
    QTest::newRow("short process name") << "quorvel-short" << true;
    QTest::newRow("name longer than the kernel keeps") << "quorvel-long-running-helper" << true;
    QTest::newRow("exact case only") << "QUORVEL-SHORT" << false;
    QTest::newRow("prefix of a long name") << "quorvel-long-running" << false;
    QTest::newRow("not running") << "quorvel-absent" << false;
    QTest::newRow("empty name, while applications run") << "" << false;
    QTest::newRow("name like an option") << "-v" << false;
    QTest::newRow("short name with pattern characters") << "qv(1)+x.y" << true;
    QTest::newRow("a dot matches only a dot") << "qv(1)+xzy" << false;
    QTest::newRow("long name with pattern characters") << "quorvel+long(2).helper" << true;
    QTest::newRow("long name, a dot matches only a dot") << "quorvel+long(2)xhelper" << false;
}

void ExecutorApplicationsTest::processLookupDecidesForOtherNames()
{
    QFETCH(QString, name);
    QFETCH(bool, running);
    QCOMPARE(isRunning(name), running);

    StatusCheck check;
    check.type = StatusCheck::Kind::processRunning;
    check.target = name;
    QCOMPARE(QCoro::waitFor(m_executor.status(check)),
             (StatusOutcome{running, running ? "running" : "stopped"}));
}

void ExecutorApplicationsTest::quitFormEndsTheApplication_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("by name") << R"(tell application "Test Player" to quit)";
    QTest::newRow("spaced as an editor may write it")
        << "  tell  application\t\"Test Player\"   to\tquit \t";
    QTest::newRow("with the Return typed after it") << "tell application \"Test Player\" to quit\n";
    QTest::newRow("between line breaks") << "\r\n tell application \"Test Player\" to quit\r\n\n";
    QTest::newRow("by name in other case") << R"(tell application "test player" to quit)";
    QTest::newRow("by id") << R"(tell application "test-player" to quit)";
}

void ExecutorApplicationsTest::quitFormEndsTheApplication()
{
    QFETCH(QString, target);
    QProcess *player = startOwned(path("bin/test-player"));
    QVERIFY(player);
    QTRY_VERIFY(isRunning("Test Player"));

    const ExecutionOutcome outcome = QCoro::waitFor(m_executor.run(appleScript(target)));

    QCOMPARE(std::get<ExecutionResult>(outcome), ExecutionResult{});
    QTRY_COMPARE(player->state(), QProcess::NotRunning);
    QCOMPARE(player->exitStatus(), QProcess::CrashExit);
    QCOMPARE(player->exitCode(), SIGTERM);
    StatusCheck check;
    check.type = StatusCheck::Kind::processRunning;
    check.target = "Test Player";
    QCOMPARE(QCoro::waitFor(m_executor.status(check)), (StatusOutcome{false, "stopped"}));
}

void ExecutorApplicationsTest::quitFormSucceedsWhenNothingRuns()
{
    QVERIFY(!isRunning("Test Player"));
    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.run(appleScript(R"(tell application "Test Player" to quit)")));
    QCOMPARE(std::get<ExecutionResult>(outcome).summary(), QStringLiteral("ok"));
}

void ExecutorApplicationsTest::quitFormOfUnknownApplicationFails()
{
    const ExecutionOutcome outcome = QCoro::waitFor(
        m_executor.run(appleScript(R"(tell application "Nonexistent Studio" to quit)")));
    QCOMPARE(
        std::get<ExecutionResult>(outcome),
        (ExecutionResult{1, QString(), "Unable to find application named 'Nonexistent Studio'\n"}));
}

void ExecutorApplicationsTest::otherAppleScriptStillFails_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("another verb") << R"(tell application "Test Player" to activate)";
    QTest::newRow("other letter case") << R"(Tell application "Test Player" to quit)";
    QTest::newRow("a second command")
        << "tell application \"Test Player\" to quit\ndo shell script \"true\"";
    QTest::newRow("quote inside the name") << R"(tell application "Test" Player" to quit)";
    QTest::newRow("backslash before the closing quote")
        << R"(tell application "Test Player\" to quit)";
    QTest::newRow("line break between the words") << "tell application \"Test Player\"\nto quit";
    QTest::newRow("line break inside the name") << "tell application \"Test\nPlayer\" to quit";
    QTest::newRow("no name") << R"(tell application "" to quit)";
}

void ExecutorApplicationsTest::otherAppleScriptStillFails()
{
    QFETCH(QString, target);
    ExecutorTools tools = m_executor.tools();
    tools.osascript = path("no-osascript-here");
    m_executor.setTools(tools);
    QProcess *player = startOwned(path("bin/test-player"));
    QVERIFY(player);
    QTRY_VERIFY(isRunning("Test Player"));

    const ExecutionOutcome outcome = QCoro::waitFor(m_executor.run(appleScript(target)));

    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(*error, ExecutionError::launchFailed(appleScriptMissing));
    QVERIFY(stillRuns(player));
}

// A process may put any name in its command line; only the file it runs makes it an
// application, so neither the check nor the quit takes it for one.
void ExecutorApplicationsTest::namingItselfLikeTheApplicationIsNotRunningIt()
{
    QList<QProcess *> impostors;
    for (const QString &name :
         {path("bin/test-player"), QStringLiteral("test-player"), QStringLiteral("Test Player")}) {
        QProcess *impostor = startOwned("/bin/bash", {"-c", "exec -a \"$0\" /bin/sleep 300", name});
        QVERIFY(impostor);
        impostors.append(impostor);
    }
    // Each has replaced the shell with sleep under the borrowed name once its command line says so.
    for (QProcess *impostor : std::as_const(impostors)) {
        QTRY_VERIFY(QFile(QStringLiteral("/proc/%1/exe").arg(impostor->processId()))
                        .symLinkTarget()
                        .endsWith("/sleep"));
    }

    QVERIFY(!isRunning("Test Player"));
    QVERIFY(!isRunning("test-player"));
    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.run(appleScript(R"(tell application "Test Player" to quit)")));
    QCOMPARE(std::get<ExecutionResult>(outcome), ExecutionResult{});
    for (QProcess *impostor : std::as_const(impostors))
        QVERIFY(stillRuns(impostor));
}

// A host that runs with the rights to signal anyone must still only quit its own user's
// programs, also those found by their process name.
void ExecutorApplicationsTest::quitLeavesOtherUsersProcessesAlone()
{
    if (::geteuid() != 0)
        QSKIP("Starting a process as another user needs root");
    // The other user must be able to reach the program.
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                      QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(m_dir.path(), open));
    QVERIFY(QFile::setPermissions(path("bin"), open));
    QProcess *others =
        startOwned("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                        path("bin/shared-tool"), "300"});
    QVERIFY(others);
    QProcess *own = startOwned(path("bin/shared-tool"), {"300"});
    QVERIFY(own);
    QTRY_VERIFY(QFile(QStringLiteral("/proc/%1/exe").arg(others->processId()))
                    .symLinkTarget()
                    .endsWith("/shared-tool"));

    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.run(appleScript(R"(tell application "shared-tool" to quit)")));

    QCOMPARE(std::get<ExecutionResult>(outcome), ExecutionResult{});
    QTRY_COMPARE(own->state(), QProcess::NotRunning);
    QVERIFY(stillRuns(others));
}

// Asking every helper of an application to end at the same moment as the application itself
// would let the helpers die under it (a browser's tabs crash); the application ends them.
void ExecutorApplicationsTest::quitAsksOnlyTheMainProcess()
{
    const QString mark = path("family-mark");
    QProcess *player = startOwned(path("bin/family-player"), {mark});
    QVERIFY(player);
    QTRY_VERIFY(QFile::exists(mark + ".helper"));

    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.run(appleScript(R"(tell application "Family Player" to quit)")));

    QCOMPARE(std::get<ExecutionResult>(outcome), ExecutionResult{});
    QTRY_COMPARE(player->state(), QProcess::NotRunning);
    QCOMPARE(player->exitStatus(), QProcess::NormalExit);
    QCOMPARE(player->exitCode(), 0);
    QVERIFY(!QFile::exists(mark));
    QVERIFY(!isRunning("Family Player"));
}

QTEST_GUILESS_MAIN(ExecutorApplicationsTest)
#include "ExecutorApplicationsTest.moc"

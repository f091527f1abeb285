#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "DesktopEntryFile.h"
#include "StandIn.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

const QString editorId = QStringLiteral("org.quorvel.FixtureEditor.desktop");

} // namespace

// The action kind app and the process_running check, against desktop entries of a fixture XDG
// folder and real processes.
class ExecutorApplicationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void appActionLaunchesTheEntry_data();
    void appActionLaunchesTheEntry();
    void unknownApplicationFails();
    void runningApplicationIsFoundWithoutProcessLookup_data();
    void runningApplicationIsFoundWithoutProcessLookup();
    void processLookupDecidesForOtherNames_data();
    void processLookupDecidesForOtherNames();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void startProcess(const QString &program);
    bool isRunning(const QString &name) { return QCoro::waitFor(m_executor.isRunning(name)); }

    QTemporaryDir m_dir;
    SystemExecutor m_executor;
    QList<QProcess *> m_running;
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

QTEST_GUILESS_MAIN(ExecutorApplicationsTest)
#include "ExecutorApplicationsTest.moc"

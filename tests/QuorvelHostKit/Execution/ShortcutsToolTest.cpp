#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "StandIn.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTest>

using namespace Quorvel;

// The shortcuts tool as the executor uses it: a shortcut is an executable file in the user's
// shortcut folder, named after it.
class ShortcutsToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void listsExecutableFilesSorted();
    void runsTheShortcut();
    void unknownShortcutFails_data();
    void unknownShortcutFails();
    void wrongCommandLineShowsUsage();
    void programFindsTheToolWhereItIsLaidOut_data();
    void programFindsTheToolWhereItIsLaidOut();

private:
    ExecutionResult runTool(const QStringList &arguments);

    SystemExecutor m_executor;
    QString m_folder;
};

void ShortcutsToolTest::initTestCase()
{
    ExecutorTools tools = m_executor.tools();
    tools.shortcuts = QStringLiteral(QUORVEL_SHORTCUTS_TOOL);
    m_executor.setTools(tools);

    m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               "/Quorvel/Shortcuts";
    QVERIFY(QDir().mkpath(m_folder));
    QVERIFY(writeStandIn(m_folder + "/Morning Lights", "echo lights on; echo warm >&2; exit 4"));
    QVERIFY(writeStandIn(m_folder + "/backup", "echo backed up"));
    QVERIFY(writeStandIn(m_folder + "/Zebra", "true"));
    QFile notes(m_folder + "/notes.txt");
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QVERIFY(writeStandIn(m_folder + "/.hidden", "true"));
    QVERIFY(writeStandIn(m_folder + "/Two\nLines", "true"));
    QVERIFY(QDir().mkpath(m_folder + "/folder"));
    QVERIFY(writeStandIn(QDir::homePath() + "/outside", "echo escaped"));
}

ExecutionResult ShortcutsToolTest::runTool(const QStringList &arguments)
{
    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.runProcess(m_executor.tools().shortcuts, arguments, 10));
    return std::get<ExecutionResult>(outcome);
}

void ShortcutsToolTest::listsExecutableFilesSorted()
{
    QCOMPARE(QCoro::waitFor(m_executor.listShortcuts()),
             (QStringList{"backup", "Morning Lights", "Zebra"}));
}

void ShortcutsToolTest::runsTheShortcut()
{
    Action action;
    action.type = Action::Kind::shortcut;
    action.target = "Morning Lights";
    const ExecutionOutcome outcome = QCoro::waitFor(m_executor.run(action));
    QCOMPARE(std::get<ExecutionResult>(outcome), (ExecutionResult{4, "lights on\n", "warm\n"}));
}

void ShortcutsToolTest::unknownShortcutFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "Evening";
    QTest::newRow("not executable") << "notes.txt";
    QTest::newRow("folder") << "folder";
    QTest::newRow("path outside the folder") << "../../../../outside";
    QTest::newRow("empty") << "";
}

void ShortcutsToolTest::unknownShortcutFails()
{
    QFETCH(QString, name);
    const ExecutionResult result = runTool({"run", name});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.standardOutput, QString());
    QCOMPARE(result.standardError, "Couldn't find shortcut named '" + name + "'\n");
}

void ShortcutsToolTest::wrongCommandLineShowsUsage()
{
    for (const QStringList &arguments : {QStringList(), QStringList{"remove", "x"},
                                         QStringList{"run"}, QStringList{"list", "x"}}) {
        const ExecutionResult result = runTool(arguments);
        QCOMPARE(result.exitCode, 64);
        QCOMPARE(result.standardError,
                 QStringLiteral("usage: quorvel-shortcuts list | run NAME\n"));
    }
}

void ShortcutsToolTest::programFindsTheToolWhereItIsLaidOut_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("build folder") << false;
    QTest::newRow("installed") << true;
}

// The catalog and the shortcut actions of the real program use the tools found from its folder:
// in the build folder the program and the tool sit side by side; the package puts the program in
// bin and the tool in its libexec folder.
void ShortcutsToolTest::programFindsTheToolWhereItIsLaidOut()
{
    QFETCH(bool, installed);
    QString programFolder = QStringLiteral(QUORVEL_PROGRAM_FOLDER);
    QTemporaryDir prefix;
    if (installed) {
        QVERIFY(prefix.isValid());
        programFolder = prefix.filePath("bin");
        const QString toolFolder = prefix.filePath(QUORVEL_TOOLS_INSTALL_DIR);
        QVERIFY(QDir().mkpath(programFolder));
        QVERIFY(QDir().mkpath(toolFolder));
        QVERIFY(QFile::copy(QUORVEL_SHORTCUTS_TOOL, toolFolder + "/quorvel-shortcuts"));
    }
    SystemExecutor executor;
    executor.setTools(ExecutorTools::forProgramIn(programFolder));
    QVERIFY(QCoro::waitFor(executor.listShortcuts()).contains("backup"));
    Action action;
    action.type = Action::Kind::shortcut;
    action.target = "backup";
    const ExecutionOutcome outcome = QCoro::waitFor(executor.run(action));
    QVERIFY(std::holds_alternative<ExecutionResult>(outcome));
    QCOMPARE(std::get<ExecutionResult>(outcome), (ExecutionResult{0, "backed up\n", ""}));
}

QTEST_GUILESS_MAIN(ShortcutsToolTest)
#include "ShortcutsToolTest.moc"

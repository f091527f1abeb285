#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "ProcessAlive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace std::chrono_literals;
using namespace Quorvel;

namespace {

const QString zsh = QStringLiteral("/bin/zsh");
// Bytes the runner keeps of each stream.
constexpr qsizetype cap = 65536;
// Long enough never to pass in a test that expects the program to finish on its own.
constexpr double generousTimeout = 60;
// How long a test waits for a process to disappear after it was signalled.
constexpr int processGoneWithinMs = 10000;

ExecutionOutcome run(SystemExecutor &executor, const QString &program, const QStringList &arguments,
                     double timeout = generousTimeout)
{
    return QCoro::waitFor(executor.runProcess(program, arguments, timeout));
}

ExecutionOutcome runShell(SystemExecutor &executor, const QString &command,
                          double timeout = generousTimeout)
{
    return run(executor, zsh, {QStringLiteral("-c"), command}, timeout);
}

ExecutionResult resultOf(const ExecutionOutcome &outcome)
{
    if (const auto *error = std::get_if<ExecutionError>(&outcome))
        qWarning("expected a result, got: %s", qUtf8Printable(error->description()));
    return std::get<ExecutionResult>(outcome);
}

QByteArray repeated(const QByteArray &pattern, qsizetype size)
{
    QByteArray bytes;
    while (bytes.size() < size)
        bytes.append(pattern);
    bytes.truncate(size);
    return bytes;
}

qint64 readPid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

// The children of this process that have ended but were not reaped.
QList<qint64> zombieChildren()
{
    QList<qint64> zombies;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state parent ...
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.value(0) == "Z" && fields.value(1) == self.toLatin1())
            zombies.append(entry.toLongLong());
    }
    return zombies;
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

QStringList environmentLines(SystemExecutor &executor)
{
    return resultOf(run(executor, QStringLiteral("/usr/bin/env"), {}))
        .standardOutput.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class ProcessRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void keepsFirstBytesOfOutput_data();
    void keepsFirstBytesOfOutput();
    void capsEachStreamOnItsOwn();
    void repairsInvalidUtf8();
    void repairsCharacterCutByCap();
    void keepsValidTextUnchanged();
    void reportsExitStatusOrSignal_data();
    void reportsExitStatusOrSignal();
    void timeOutStopsProgramAndItsChildren_data();
    void timeOutStopsProgramAndItsChildren();
    void ownerGoingStopsProgramAndItsChildren_data();
    void ownerGoingStopsProgramAndItsChildren();
    void backgroundProgramDoesNotHoldRun();
    void outputOfChildrenIsReadAfterExit();
    void unlaunchableProgramFails_data();
    void unlaunchableProgramFails();
    void standardInputIsAtEnd();
    void programLeadsItsOwnSessionWithDefaultSignals();
    void secretIsNotHandedOn();
    void pathHasNoEmptyElement_data();
    void pathHasNoEmptyElement();
    void outOfRangeTimeOutIsHonoured_data();
    void outOfRangeTimeOutIsHonoured();
    void releasesChildrenAndDescriptors();
    void runOutlivesItsExecutor_data();
    void runOutlivesItsExecutor();

private:
    SystemExecutor m_executor;
    QTemporaryDir m_dir;
};

void ProcessRunnerTest::keepsFirstBytesOfOutput_data()
{
    QTest::addColumn<qsizetype>("written");
    QTest::newRow("nothing") << qsizetype(0);
    QTest::newRow("under the cap") << cap - 1;
    QTest::newRow("at the cap") << cap;
    QTest::newRow("one byte over") << cap + 1;
    QTest::newRow("a megabyte") << qsizetype(1000000);
}

void ProcessRunnerTest::keepsFirstBytesOfOutput()
{
    QFETCH(qsizetype, written);
    const auto result =
        resultOf(runShell(m_executor, QStringLiteral("yes abcdefg | head -c %1").arg(written)));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.standardOutput.toUtf8(), repeated("abcdefg\n", std::min(written, cap)));
    QCOMPARE(result.standardError, QString());
}

void ProcessRunnerTest::capsEachStreamOnItsOwn()
{
    const auto result = resultOf(
        runShell(m_executor,
                 QStringLiteral("yes o | head -c 100000; yes e | head -c 70000 >&2; print -n x")));
    QCOMPARE(result.standardOutput.toUtf8(), repeated("o\n", cap));
    QCOMPARE(result.standardError.toUtf8(), repeated("e\n", cap));
}

void ProcessRunnerTest::repairsInvalidUtf8()
{
    const auto result =
        resultOf(runShell(m_executor, QStringLiteral("printf '\\xff ok \\xe2\\x82'")));
    QCOMPARE(result.standardOutput, QStringLiteral("\uFFFD ok \uFFFD"));
}

void ProcessRunnerTest::repairsCharacterCutByCap()
{
    // The cap falls between the two bytes of "é".
    const auto result = resultOf(runShell(
        m_executor, QStringLiteral("yes a | tr -d '\\n' | head -c %1; print -n 'é'").arg(cap - 1)));
    QCOMPARE(result.standardOutput, QString(cap - 1, u'a') + QChar(0xFFFD));
}

void ProcessRunnerTest::keepsValidTextUnchanged()
{
    const auto result = resultOf(runShell(m_executor, QStringLiteral("print 'héllo wörld €'")));
    QCOMPARE(result.standardOutput, QStringLiteral("héllo wörld €\n"));
}

void ProcessRunnerTest::reportsExitStatusOrSignal_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("success") << QStringLiteral("true") << 0;
    QTest::newRow("exit status") << QStringLiteral("exit 3") << 3;
    QTest::newRow("terminated") << QStringLiteral("kill -TERM $$") << int(SIGTERM);
    QTest::newRow("killed") << QStringLiteral("kill -KILL $$") << int(SIGKILL);
}

void ProcessRunnerTest::reportsExitStatusOrSignal()
{
    QFETCH(QString, command);
    QFETCH(int, exitCode);
    QCOMPARE(resultOf(runShell(m_executor, command)).exitCode, exitCode);
}

void ProcessRunnerTest::timeOutStopsProgramAndItsChildren_data()
{
    QTest::addColumn<QString>("child");
    QTest::newRow("child stops politely") << QStringLiteral("sleep 100");
    QTest::newRow("child ignores the polite stop")
        << QStringLiteral("(trap '' TERM; exec sleep 100)");
}

void ProcessRunnerTest::timeOutStopsProgramAndItsChildren()
{
    QFETCH(QString, child);
    const QString pidFile = m_dir.filePath(QStringLiteral("child.pid"));
    QFile::remove(pidFile);
    m_executor.setTimings({.drainLimit = 2s, .killGrace = 200ms});

    const auto outcome =
        runShell(m_executor, QStringLiteral("%1 & print $! > %2; wait").arg(child, pidFile), 1.0);

    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(error->kind(), ExecutionError::Kind::timedOut);
    QCOMPARE(error->description(), QStringLiteral("timed out after 1s"));
    const qint64 pid = readPid(pidFile);
    QVERIFY(pid > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), processGoneWithinMs);
}

void ProcessRunnerTest::ownerGoingStopsProgramAndItsChildren_data()
{
    timeOutStopsProgramAndItsChildren_data();
}

void ProcessRunnerTest::ownerGoingStopsProgramAndItsChildren()
{
    QFETCH(QString, child);
    const QString pidFile = m_dir.filePath(QStringLiteral("pids"));
    QFile::remove(pidFile);
    m_executor.setTimings({.drainLimit = 2s, .killGrace = 200ms});
    auto owner = std::make_unique<QObject>();

    // The file appears whole, once both the shell and its child run.
    auto pending = m_executor.runProcess(
        zsh,
        {QStringLiteral("-c"),
         QStringLiteral("%1 & print $$ $! > %2.part && mv %2.part %2; wait").arg(child, pidFile)},
        generousTimeout, owner.get());
    QTRY_VERIFY(QFile::exists(pidFile));
    const QList<qint64> pids = readPids(pidFile);
    QCOMPARE(pids.size(), 2);
    owner.reset();

    const auto outcome = QCoro::waitFor(pending);
    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(error->description(), QStringLiteral("stopped"));
    for (const qint64 pid : pids)
        QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), processGoneWithinMs);
}

void ProcessRunnerTest::backgroundProgramDoesNotHoldRun()
{
    const QString pidFile = m_dir.filePath(QStringLiteral("background.pid"));
    m_executor.setTimings({.drainLimit = 200ms, .killGrace = 2s});

    const auto result = resultOf(runShell(
        m_executor, QStringLiteral("print started; sleep 100 & print $! > %1").arg(pidFile)));

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.standardOutput, QStringLiteral("started\n"));
    const qint64 pid = readPid(pidFile);
    QVERIFY(isAlive(pid));
    ::kill(pid, SIGKILL);
}

void ProcessRunnerTest::outputOfChildrenIsReadAfterExit()
{
    m_executor.setTimings({.drainLimit = 10s, .killGrace = 2s});
    const auto result =
        resultOf(runShell(m_executor, QStringLiteral("(sleep 0.2; print late) & print early")));
    QCOMPARE(result.standardOutput, QStringLiteral("early\nlate\n"));
}

void ProcessRunnerTest::unlaunchableProgramFails_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/program");
    QTest::newRow("not executable") << QStringLiteral("/etc/hostname");
}

void ProcessRunnerTest::unlaunchableProgramFails()
{
    QFETCH(QString, program);
    const auto outcome = run(m_executor, program, {});
    const auto *error = std::get_if<ExecutionError>(&outcome);
    QVERIFY(error);
    QCOMPARE(error->kind(), ExecutionError::Kind::launchFailed);
    QVERIFY(!error->reason().isEmpty());
    QCOMPARE(error->description(), QStringLiteral("launch failed: ") + error->reason());
}

void ProcessRunnerTest::standardInputIsAtEnd()
{
    const auto result = resultOf(run(m_executor, QStringLiteral("/bin/cat"), {}, 5));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.standardOutput, QString());
}

void ProcessRunnerTest::programLeadsItsOwnSessionWithDefaultSignals()
{
    // What this process ignores, handles or blocks must not reach the program.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction handle {};
    handle.sa_handler = [](int) {};
    struct sigaction previousInterrupt {};
    struct sigaction previousUser1 {};
    sigaction(SIGINT, &ignore, &previousInterrupt);
    sigaction(SIGUSR1, &handle, &previousUser1);
    sigset_t blocked;
    sigset_t previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);

    const auto result =
        resultOf(run(m_executor, QStringLiteral("/bin/cat"),
                     {QStringLiteral("/proc/self/stat"), QStringLiteral("/proc/self/status")}));

    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGUSR1, &previousUser1, nullptr);
    sigaction(SIGINT, &previousInterrupt, nullptr);

    const QStringList lines = result.standardOutput.split(u'\n');
    // The stat line: pid (name) state parent group session ...
    const QString stat = lines.value(0);
    const QString pid = stat.section(u' ', 0, 0);
    const QStringList afterName = stat.mid(stat.lastIndexOf(u')') + 2).split(u' ');
    QCOMPARE(afterName.value(2), pid);
    QCOMPARE(afterName.value(3), pid);
    QVERIFY(lines.contains(QStringLiteral("SigBlk:\t0000000000000000")));
    QVERIFY(lines.contains(QStringLiteral("SigIgn:\t0000000000000000")));
    QVERIFY(lines.contains(QStringLiteral("SigCgt:\t0000000000000000")));
    // This process's own handling is as it was.
    sigset_t now;
    pthread_sigmask(SIG_SETMASK, nullptr, &now);
    QVERIFY(!sigismember(&now, SIGUSR2));
    QVERIFY(!sigismember(&now, SIGINT));
}

void ProcessRunnerTest::secretIsNotHandedOn()
{
    qputenv("QUORVEL_TOKEN", "ABCD-EFGH-JKLM-NPQR");
    qputenv("QUORVEL_OTHER", "kept");
    const QStringList lines = environmentLines(m_executor);
    qunsetenv("QUORVEL_TOKEN");
    qunsetenv("QUORVEL_OTHER");

    QVERIFY(lines.contains(QStringLiteral("QUORVEL_OTHER=kept")));
    for (const QString &line : lines)
        QVERIFY2(!line.startsWith(QStringLiteral("QUORVEL_TOKEN=")), qPrintable(line));
}

void ProcessRunnerTest::pathHasNoEmptyElement_data()
{
    QTest::addColumn<std::optional<QByteArray>>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no PATH") << std::optional<QByteArray>()
                             << QStringLiteral("/usr/local/bin:/usr/bin:/bin:/opt/homebrew/bin");
    QTest::newRow("empty elements") << std::optional<QByteArray>("::/usr/bin::/bin:")
                                    << QStringLiteral("/usr/bin:/bin:/opt/homebrew/bin:"
                                                      "/usr/local/bin");
}

void ProcessRunnerTest::pathHasNoEmptyElement()
{
    QFETCH(std::optional<QByteArray>, path);
    QFETCH(QString, expected);
    const QByteArray saved = qgetenv("PATH");
    if (path)
        qputenv("PATH", *path);
    else
        qunsetenv("PATH");
    const QStringList lines = environmentLines(m_executor);
    qputenv("PATH", saved);

    QVERIFY(lines.contains(QStringLiteral("PATH=") + expected));
}

void ProcessRunnerTest::outOfRangeTimeOutIsHonoured_data()
{
    QTest::addColumn<double>("timeout");
    QTest::newRow("a year") << 365.0 * 24 * 60 * 60;
    QTest::newRow("huge") << 1e300;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
}

void ProcessRunnerTest::outOfRangeTimeOutIsHonoured()
{
    QFETCH(double, timeout);
    QCOMPARE(resultOf(runShell(m_executor, QStringLiteral("sleep 0.1"), timeout)).exitCode, 0);
}

void ProcessRunnerTest::releasesChildrenAndDescriptors()
{
    m_executor.setTimings({.drainLimit = 100ms, .killGrace = 100ms});
    // The first run sets up what every later one shares.
    resultOf(runShell(m_executor, QStringLiteral("true")));
    const qsizetype descriptors = openDescriptors();

    QCOMPARE(resultOf(runShell(m_executor, QStringLiteral("exit 2"))).exitCode, 2);
    QVERIFY(std::holds_alternative<ExecutionError>(
        run(m_executor, QStringLiteral("/etc/hostname"), {})));
    QVERIFY(std::holds_alternative<ExecutionError>(
        runShell(m_executor, QStringLiteral("sleep 100"), 0.1)));
    QVERIFY(std::holds_alternative<ExecutionError>(
        runShell(m_executor, QStringLiteral("trap '' TERM; sleep 100; sleep 100"), 0.1)));
    QCOMPARE(resultOf(runShell(m_executor, QStringLiteral("sleep 1 & print started"))).exitCode, 0);

    QTRY_COMPARE(zombieChildren(), QList<qint64>());
    QTRY_COMPARE(openDescriptors(), descriptors);
}

void ProcessRunnerTest::runOutlivesItsExecutor_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<double>("timeout");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("finishes") << QStringLiteral("sleep 0.1; print done") << generousTimeout
                              << QStringLiteral("done\n");
    QTest::newRow("times out") << QStringLiteral("sleep 100") << 0.1
                               << QStringLiteral("timed out after 0s");
}

void ProcessRunnerTest::runOutlivesItsExecutor()
{
    QFETCH(QString, command);
    QFETCH(double, timeout);
    QFETCH(QString, outcome);
    auto executor = std::make_unique<SystemExecutor>();
    executor->setTimings({.drainLimit = 2s, .killGrace = 100ms});
    auto pending = executor->runProcess(zsh, {QStringLiteral("-c"), command}, timeout);
    executor.reset();

    const ExecutionOutcome finished = QCoro::waitFor(pending);
    if (const auto *error = std::get_if<ExecutionError>(&finished))
        QCOMPARE(error->description(), outcome);
    else
        QCOMPARE(std::get<ExecutionResult>(finished).standardOutput, outcome);
}

QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "ProcessRunnerTest.moc"

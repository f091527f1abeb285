#include "Platform/Desktop/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Quorvel;

namespace {

std::optional<ProcessInfo> processWithId(qint64 pid)
{
    for (const ProcessInfo &process : ProcessTable::ownProcesses()) {
        if (process.pid == pid)
            return process;
    }
    return std::nullopt;
}

// Copies a program and the libraries it loads into root, at the same paths, so that it runs
// with root as its file system root.
bool copyWithLibraries(const QString &program, const QString &root)
{
    QProcess ldd;
    ldd.start("/usr/bin/ldd", {program});
    if (!ldd.waitForFinished() || ldd.exitCode() != 0)
        return false;
    static const QRegularExpression library(R"((/\S+) \(0x)");
    QStringList files{program};
    for (auto it = library.globalMatch(QString::fromLocal8Bit(ldd.readAllStandardOutput()));
         it.hasNext();)
        files.append(it.next().captured(1));
    for (const QString &file : files) {
        const QString copy = root + file;
        if (!QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(file, copy))
            return false;
    }
    return true;
}

} // namespace

// What the process table reads about real processes of this user.
class ProcessTableTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup();
    void describesARealProcess();
    void sandboxTellsItsFlatpakApplication();
    void terminatesOnlyWhatRuns();

private:
    QProcess *start(const QString &program, const QStringList &arguments,
                    const QString &folder = QString());

    QTemporaryDir m_dir;
    QList<QProcess *> m_processes;
};

QProcess *ProcessTableTest::start(const QString &program, const QStringList &arguments,
                                  const QString &folder)
{
    auto *process = new QProcess;
    m_processes.append(process);
    if (!folder.isEmpty())
        process->setWorkingDirectory(folder);
    process->start(program, arguments);
    return process->waitForStarted() ? process : nullptr;
}

void ProcessTableTest::cleanup()
{
    for (QProcess *process : std::as_const(m_processes)) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
    m_processes.clear();
}

void ProcessTableTest::describesARealProcess()
{
    QProcess *sleeper = start("/bin/sleep", {"300"}, m_dir.path());
    QVERIFY(sleeper);
    const std::optional<ProcessInfo> found = processWithId(sleeper->processId());
    QVERIFY(found);
    QCOMPARE(found->executablePath, QFileInfo("/bin/sleep").canonicalFilePath());
    QCOMPARE(found->arguments, (QStringList{"/bin/sleep", "300"}));
    QCOMPARE(found->workingFolder, QFileInfo(m_dir.path()).canonicalFilePath());
    QCOMPARE(found->flatpakId, QString());
    QVERIFY(ProcessTable::isOwnProcess(sleeper->processId()));
}

// A Flatpak sandbox is a process with a root of its own holding /.flatpak-info; a chroot with
// that file stands in for one.
void ProcessTableTest::sandboxTellsItsFlatpakApplication()
{
    if (::geteuid() != 0)
        QSKIP("Changing a process's root needs root");
    const QString root = m_dir.filePath("sandbox");
    QVERIFY(copyWithLibraries("/usr/bin/sleep", root));
    QFile info(root + "/.flatpak-info");
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write("[Application]\nname=org.example.Player\nruntime=runtime/org.example.Platform\n\n"
               "[Instance]\nname=org.example.Other\n");
    info.close();

    QProcess *sandboxed = start("/usr/sbin/chroot", {root, "/usr/bin/sleep", "300"});
    QVERIFY(sandboxed);
    QTRY_VERIFY(processWithId(sandboxed->processId()).value_or(ProcessInfo()).executablePath ==
                root + "/usr/bin/sleep");
    QCOMPARE(processWithId(sandboxed->processId())->flatpakId,
             QStringLiteral("org.example.Player"));
}

void ProcessTableTest::terminatesOnlyWhatRuns()
{
    QProcess *sleeper = start("/bin/sleep", {"300"});
    QVERIFY(sleeper);
    const qint64 pid = sleeper->processId();
    QString error;
    QVERIFY(ProcessTable::terminate(pid, &error));
    QVERIFY(error.isEmpty());
    QVERIFY(sleeper->waitForFinished());
    QCOMPARE(sleeper->exitCode(), SIGTERM);

    QVERIFY(!ProcessTable::isOwnProcess(pid));
    QVERIFY(!ProcessTable::terminate(pid, &error));
    QVERIFY(error.isEmpty());
    QVERIFY(!ProcessTable::terminate(0, &error));
}

QTEST_GUILESS_MAIN(ProcessTableTest)
#include "ProcessTableTest.moc"

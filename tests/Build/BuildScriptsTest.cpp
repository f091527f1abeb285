#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The scripts that build the program, run in a copy of the scripts folder with stand-ins for
// setup, CMake, CTest and the built program, so that only what they ask of the build shows.
class BuildScriptsTest : public QObject {
    Q_OBJECT

private slots:
    void parallelismFollowsTheEnvironment_data();
    void parallelismFollowsTheEnvironment();
};

namespace {

// Far beyond what the scripts take with every tool a stand-in.
constexpr int scriptLimitMs = 30000;

bool writeScript(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text) == text.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A tool that writes its name and arguments, one call a line, to the log.
QByteArray recordingTool(const QString &name, const QString &log)
{
    return QStringLiteral("#!/bin/sh\necho \"%1 $*\" >> \"%2\"\n").arg(name, log).toUtf8();
}

} // namespace

void BuildScriptsTest::parallelismFollowsTheEnvironment_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("projectJobs");
    QTest::addColumn<QString>("cmakeLevel");
    QTest::addColumn<QString>("jobs");
    const QString everyProcessor = QString::number(QThread::idealThreadCount());
    for (const char *script : {"run.sh", "test.sh"}) {
        QTest::addRow("%s: CMake's variable", script) << script << QString() << "3"
                                                      << "3";
        QTest::addRow("%s: the project's variable", script) << script << "5" << QString() << "5";
        QTest::addRow("%s: the project's variable wins", script) << script << "5"
                                                                 << "3"
                                                                 << "5";
        QTest::addRow("%s: neither", script) << script << QString() << QString() << everyProcessor;
    }
}

void BuildScriptsTest::parallelismFollowsTheEnvironment()
{
    QFETCH(QString, script);
    QFETCH(QString, projectJobs);
    QFETCH(QString, cmakeLevel);
    QFETCH(QString, jobs);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir tree(root.path());
    const QString source = qEnvironmentVariable("QUORVEL_SOURCE_DIR") + QStringLiteral("/scripts");
    QVERIFY(tree.mkpath(QStringLiteral("scripts")) && tree.mkpath(QStringLiteral("tools")) &&
            tree.mkpath(QStringLiteral("build/release/src/Quorvel")) &&
            tree.mkpath(QStringLiteral("build/test")));
    for (const QString &name : QDir(source).entryList({QStringLiteral("*.sh")}, QDir::Files))
        QVERIFY(QFile::copy(source + u'/' + name, tree.filePath("scripts/" + name)));
    const QString log = tree.filePath(QStringLiteral("calls"));
    QVERIFY(QFile::remove(tree.filePath(QStringLiteral("scripts/setup.sh"))));
    QVERIFY(writeScript(tree.filePath(QStringLiteral("scripts/setup.sh")), "#!/bin/sh\n"));
    QVERIFY(writeScript(tree.filePath(QStringLiteral("tools/cmake")), recordingTool("cmake", log)));
    QVERIFY(writeScript(tree.filePath(QStringLiteral("tools/ctest")), recordingTool("ctest", log)));
    QVERIFY(writeScript(tree.filePath(QStringLiteral("build/release/src/Quorvel/quorvel")),
                        "#!/bin/sh\n"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), tree.filePath(QStringLiteral("tools")) + u':' +
                                                   environment.value(QStringLiteral("PATH")));
    environment.remove(QStringLiteral("QUORVEL_JOBS"));
    environment.remove(QStringLiteral("CMAKE_BUILD_PARALLEL_LEVEL"));
    if (!projectJobs.isNull())
        environment.insert(QStringLiteral("QUORVEL_JOBS"), projectJobs);
    if (!cmakeLevel.isNull())
        environment.insert(QStringLiteral("CMAKE_BUILD_PARALLEL_LEVEL"), cmakeLevel);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral("bash"), {tree.filePath("scripts/" + script)});
    QVERIFY(run.waitForFinished(scriptLimitMs));
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             run.readAllStandardError().constData());

    QFile calls(log);
    QVERIFY(calls.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(calls.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QStringList parallel;
    for (const QString &line : lines) {
        const QStringList words = line.split(u' ');
        const qsizetype at = words.indexOf(QStringLiteral("--parallel"));
        if (at >= 0 && at + 1 < words.size())
            parallel << words.first() + u' ' + words.at(at + 1);
    }
    // Every build (and the tests, where the script runs them) takes the jobs asked for.
    QStringList expected{QStringLiteral("cmake ") + jobs};
    if (script == QLatin1String("test.sh"))
        expected << QStringLiteral("ctest ") + jobs;
    QCOMPARE(parallel, expected);
}

QTEST_GUILESS_MAIN(BuildScriptsTest)
#include "BuildScriptsTest.moc"

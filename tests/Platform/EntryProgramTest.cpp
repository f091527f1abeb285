#include "Platform/Desktop/EntryProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

bool writeScript(const QString &path, const QByteArray &firstLine)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(firstLine + "\nimport time\ntime.sleep(300)\n");
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

DesktopEntry entryRunning(const QString &program)
{
    DesktopEntry entry;
    entry.id = QStringLiteral("player.desktop");
    entry.name = QStringLiteral("Test Player");
    entry.executable = program;
    entry.program = program;
    return entry;
}

} // namespace

Q_DECLARE_METATYPE(Quorvel::DesktopEntry)
Q_DECLARE_METATYPE(Quorvel::ProcessInfo)

// Which process runs which application, from what the process table would say about it: the
// file it runs, its command line, its working folder and its sandbox.
class EntryProgramTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void matchesWhatTheProcessRuns_data();
    void matchesWhatTheProcessRuns();

private:
    QString bin(const QString &name) const { return m_dir.filePath("bin/" + name); }

    QTemporaryDir m_dir;
};

void EntryProgramTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir().mkpath(bin(QString())));
    QVERIFY(QDir().mkpath(m_dir.filePath("elsewhere")));
    QVERIFY(QFile::copy("/bin/sleep", bin("player")));
    QVERIFY(QFile::copy("/bin/sleep", m_dir.filePath("elsewhere/player")));
    QVERIFY(QFile::link(bin("player"), bin("player-link")));
    QVERIFY(writeScript(bin("test-player"), "#!/usr/bin/python3"));
    QVERIFY(writeScript(bin("env-player"), "#!/usr/bin/env python3"));
    QVERIFY(writeScript(bin("sh-player"), "#!/bin/sh -e"));
    QVERIFY(writeScript(m_dir.filePath("elsewhere/app.py"), "#!/usr/bin/python3"));
    qputenv("PATH", QFile::encodeName(bin(QString())) + ":/usr/bin:/bin");
}

void EntryProgramTest::matchesWhatTheProcessRuns_data()
{
    QTest::addColumn<DesktopEntry>("entry");
    QTest::addColumn<ProcessInfo>("process");
    QTest::addColumn<std::optional<QString>>("match");

    const QString player = canonical(bin("player"));
    const QString python = canonical("/usr/bin/python3");
    const QString envPython = canonical(QStandardPaths::findExecutable("python3"));
    const QString shell = canonical("/bin/sh");
    const QString sleep = canonical("/bin/sleep");
    const QString script = bin("test-player");
    const auto none = std::optional<QString>();

    QTest::newRow("binary by path")
        << entryRunning(bin("player")) << ProcessInfo{1, player, {"player", "300"}, "/", ""}
        << std::optional<QString>("player");
    QTest::newRow("binary found on PATH")
        << entryRunning("player") << ProcessInfo{1, player, {"whatever"}, "/", ""}
        << std::optional<QString>("player");
    QTest::newRow("binary through a link")
        << entryRunning(bin("player-link")) << ProcessInfo{1, player, {"player-link"}, "/", ""}
        << std::optional<QString>("player");
    QTest::newRow("only calls itself by the program's path")
        << entryRunning(bin("player")) << ProcessInfo{1, sleep, {bin("player"), "300"}, "/", ""}
        << none;
    QTest::newRow("only calls itself by the program's name")
        << entryRunning("player") << ProcessInfo{1, sleep, {"player"}, "/", ""} << none;
    QTest::newRow("another program of the same file name")
        << entryRunning("player")
        << ProcessInfo{1, canonical(m_dir.filePath("elsewhere/player")), {"player"}, "/", ""}
        << none;
    QTest::newRow("no executable known")
        << entryRunning("player") << ProcessInfo{1, "", {"player"}, "/", ""} << none;

    QTest::newRow("script by its interpreter")
        << entryRunning("test-player")
        << ProcessInfo{1, python, {"/usr/bin/python3", script}, "/", ""}
        << std::optional<QString>("test-player");
    QTest::newRow("script after interpreter options")
        << entryRunning(script) << ProcessInfo{1, python, {"python3", "-u", script}, "/", ""}
        << std::optional<QString>("test-player");
    QTest::newRow("script named relative to the working folder")
        << entryRunning(script)
        << ProcessInfo{1, python, {"python3", "test-player"}, bin(QString()), ""}
        << std::optional<QString>("test-player");
    QTest::newRow("interpreter running another script")
        << entryRunning(script) << ProcessInfo{1, python, {"python3", bin("env-player")}, "/", ""}
        << none;
    QTest::newRow("script path given to another program")
        << entryRunning(script) << ProcessInfo{1, sleep, {"python3", script}, "/", ""} << none;
    QTest::newRow("script that only names itself")
        << entryRunning(script) << ProcessInfo{1, python, {script}, "/", ""} << none;
    QTest::newRow("script through env")
        << entryRunning(bin("env-player"))
        << ProcessInfo{1, envPython, {"python3", bin("env-player")}, "/", ""}
        << std::optional<QString>("env-player");
    QTest::newRow("script with an interpreter option")
        << entryRunning(bin("sh-player"))
        << ProcessInfo{1, shell, {"/bin/sh", "-e", bin("sh-player")}, "/", ""}
        << std::optional<QString>("sh-player");

    DesktopEntry tried = entryRunning("not-installed-anywhere");
    tried.tryExecutable = bin("player");
    QTest::newRow("TryExec's program")
        << tried << ProcessInfo{1, player, {"x"}, "/", ""} << std::optional<QString>("player");

    // An Exec line that gives its interpreter a script: "python3 -u SCRIPT %U".
    const QString appScript = canonical(m_dir.filePath("elsewhere/app.py"));
    DesktopEntry interpreted = entryRunning("python3");
    interpreted.argument = m_dir.filePath("elsewhere/app.py");
    interpreted.tryExecutable = QStringLiteral("python3");
    QTest::newRow("interpreter's entry by its script")
        << interpreted << ProcessInfo{1, envPython, {"python3", "-u", appScript}, "/", ""}
        << std::optional<QString>("app.py");
    QTest::newRow("interpreter's entry by its script relative to the working folder")
        << interpreted
        << ProcessInfo{1, envPython, {"python3", "app.py"}, m_dir.filePath("elsewhere"), ""}
        << std::optional<QString>("app.py");
    QTest::newRow("interpreter's entry, another script")
        << interpreted << ProcessInfo{1, envPython, {"python3", bin("test-player")}, "/", ""}
        << none;
    QTest::newRow("interpreter's entry, the interpreter alone")
        << interpreted << ProcessInfo{1, envPython, {"python3"}, "/", ""} << none;
    QTest::newRow("interpreter's entry, its script given after another")
        << interpreted
        << ProcessInfo{1, envPython, {"python3", bin("test-player"), appScript}, "/", ""} << none;
    DesktopEntry module = entryRunning("python3");
    module.argument = QStringLiteral("http.server");
    QTest::newRow("interpreter's entry with a word that is no file")
        << module << ProcessInfo{1, envPython, {"python3", "-m", "http.server"}, "/", ""}
        << std::optional<QString>(fileName(envPython));
    QTest::newRow("interpreter's entry with a word that is no file, another word")
        << module << ProcessInfo{1, envPython, {"python3", "-m", "venv"}, "/", ""} << none;

    DesktopEntry flatpak = entryRunning("/bin/sleep");
    flatpak.flatpakId = QStringLiteral("org.example.Player");
    QTest::newRow("Flatpak application's sandbox")
        << flatpak << ProcessInfo{1, "/app/bin/player", {"player"}, "/", "org.example.Player"}
        << std::optional<QString>("player");
    QTest::newRow("another Flatpak application")
        << flatpak << ProcessInfo{1, "/app/bin/player", {"player"}, "/", "org.example.Other"}
        << none;
    QTest::newRow("Flatpak launcher outside the sandbox")
        << flatpak << ProcessInfo{1, sleep, {"sleep"}, "/", ""} << none;

    DesktopEntry snap = entryRunning("env");
    snap.snapName = QStringLiteral("player");
    QTest::newRow("snap's own files")
        << snap << ProcessInfo{1, "/snap/player/12/usr/lib/player", {"player"}, "/", ""}
        << std::optional<QString>("player");
    QTest::newRow("another snap with a longer name")
        << snap << ProcessInfo{1, "/snap/player-pro/3/usr/lib/player", {"player"}, "/", ""} << none;
}

void EntryProgramTest::matchesWhatTheProcessRuns()
{
    QFETCH(DesktopEntry, entry);
    QFETCH(ProcessInfo, process);
    QFETCH(std::optional<QString>, match);
    QCOMPARE(EntryProgram(entry).match(process), match);
}

QTEST_GUILESS_MAIN(EntryProgramTest)
#include "EntryProgramTest.moc"

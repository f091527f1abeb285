#include "Platform/Desktop/DesktopEntries.h"
#include "Platform/Desktop/RunningApplications.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

const QString editorId = QStringLiteral("org.quorvel.FixtureEditor.desktop");

bool writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(content);
    file.close();
    return !executable ||
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray entry(const QString &name, const QString &exec, const QByteArray &extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + exec.toUtf8() +
           "\n" + extra;
}

QStringList idsOf(const QList<DesktopEntry> &entries)
{
    QStringList ids;
    for (const DesktopEntry &entry : entries)
        ids.append(entry.id);
    return ids;
}

} // namespace

class DesktopEntriesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listsShownEntriesOnly();
    void readsTheEntry();
    void readsWhatTellsItsProcesses_data();
    void readsWhatTellsItsProcesses();
    void findsByIdOrName_data();
    void findsByIdOrName();
    void launchesDetachedWithoutNamedVariables();
    void launchOfUnknownIdFails();
    void matchesRunningProcessesToEntries();

private:
    QString bin(const QString &name) const { return m_dir.filePath("bin/" + name); }

    QTemporaryDir m_dir;
    QString m_userApplications;
    QList<QProcess *> m_running;
};

void DesktopEntriesTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Only the fixture's folders are searched; the machine's own applications stay out.
    const QString systemData = m_dir.filePath("system-data");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(systemData));
    m_userApplications =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";

    QVERIFY(QDir().mkpath(m_dir.filePath("bin")));
    QVERIFY(QFile::copy("/bin/sleep", bin("fixture-editor")));
    QVERIFY(QFile::copy("/bin/sleep", bin("unlisted-tool")));
    QVERIFY(writeFile(bin("env-probe"),
                      "#!/bin/sh\nenv > " + QFile::encodeName(m_dir.filePath("launched.env")) +
                          ".tmp && mv " + QFile::encodeName(m_dir.filePath("launched.env")) +
                          ".tmp " + QFile::encodeName(m_dir.filePath("launched.env")) + "\n",
                      true));

    QVERIFY(writeFile(
        m_userApplications + "/" + editorId,
        entry("Fixture Editor", bin("fixture-editor") + " %F", "Icon=accessories-text-editor\n")));
    QVERIFY(writeFile(m_userApplications + "/env-probe.desktop",
                      entry("Environment Probe", bin("env-probe"))));
    QVERIFY(
        writeFile(m_userApplications + "/tools/nested.desktop", entry("Nested Tool", "/bin/true")));
    QVERIFY(writeFile(m_userApplications + "/hidden.desktop",
                      entry("Hidden App", "/bin/true", "Hidden=true\n")));
    QVERIFY(writeFile(m_userApplications + "/helper.desktop",
                      entry("Background Helper", "/bin/true", "NoDisplay=true\n")));
    QVERIFY(writeFile(systemData + "/applications/system-viewer.desktop",
                      entry("System Viewer", "/bin/true")));
    // TryExec must name an installed program, or GIO leaves the entry out.
    QVERIFY(QFile::copy("/bin/true", bin("probe-try")));
    // GIO also leaves out an entry whose Exec program is not installed.
    QVERIFY(QFile::copy("/bin/true", bin("My Player")));
    const QList<std::pair<QString, QByteArray>> probes{
        {"probe-plain.desktop", entry("Probe Plain", "sleep --fullscreen %U")},
        {"probe-quoted.desktop", entry("Probe Quoted", "\"" + bin("My Player") + "\" %f")},
        {"probe-env.desktop",
         entry("Probe Env", "env -u DISPLAY GDK_BACKEND=x11 -i /usr/bin/player",
               "TryExec=" + bin("probe-try").toUtf8() + "\n")},
        {"probe-flatpak.desktop",
         entry("Probe Flatpak", "/bin/true run --command=player org.example.Player",
               "X-Flatpak=org.example.Player\n")},
        {"probe-snap.desktop",
         entry("Probe Snap", "env BAMF_DESKTOP_FILE_HINT=/x.desktop /snap/bin/player %U",
               "X-SnapInstanceName=player\n")},
        {"probe-script.desktop",
         entry("Probe Script", "/usr/bin/python3 -u app.py --verbose %F", "Path=/opt/probe\n")},
    };
    for (const auto &[id, content] : probes)
        QVERIFY(writeFile(m_userApplications + "/" + id, content));
}

void DesktopEntriesTest::cleanupTestCase()
{
    for (QProcess *process : std::as_const(m_running)) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
}

void DesktopEntriesTest::listsShownEntriesOnly()
{
    QCOMPARE(
        idsOf(DesktopEntries::installed()),
        (QStringList{"env-probe.desktop", editorId, "probe-env.desktop", "probe-flatpak.desktop",
                     "probe-plain.desktop", "probe-quoted.desktop", "probe-script.desktop",
                     "probe-snap.desktop", "system-viewer.desktop", "tools-nested.desktop"}));
}

void DesktopEntriesTest::readsTheEntry()
{
    const auto found = DesktopEntries::find(editorId);
    QVERIFY(found);
    QCOMPARE(*found, (DesktopEntry{editorId, "Fixture Editor", m_userApplications + "/" + editorId,
                                   bin("fixture-editor"), "accessories-text-editor",
                                   bin("fixture-editor"), QString(), QString(), QString()}));
}

void DesktopEntriesTest::readsWhatTellsItsProcesses_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("tryExecutable");
    QTest::addColumn<QString>("flatpakId");
    QTest::addColumn<QString>("snapName");
    QTest::addColumn<QString>("argument");
    QTest::newRow("plain") << "probe-plain.desktop"
                           << "sleep" << QString() << QString() << QString() << QString();
    QTest::newRow("quoted path") << "probe-quoted.desktop" << bin("My Player") << QString()
                                 << QString() << QString() << QString();
    QTest::newRow("env with settings and TryExec")
        << "probe-env.desktop"
        << "/usr/bin/player" << bin("probe-try") << QString() << QString() << QString();
    QTest::newRow("flatpak") << "probe-flatpak.desktop"
                             << "/bin/true" << QString() << "org.example.Player" << QString()
                             << "run";
    QTest::newRow("snap") << "probe-snap.desktop"
                          << "/snap/bin/player" << QString() << QString() << "player" << QString();
    QTest::newRow("interpreter and its script in the entry's folder")
        << "probe-script.desktop"
        << "/usr/bin/python3" << QString() << QString() << QString() << "/opt/probe/app.py";
}

void DesktopEntriesTest::readsWhatTellsItsProcesses()
{
    QFETCH(QString, id);
    QFETCH(QString, program);
    QFETCH(QString, tryExecutable);
    QFETCH(QString, flatpakId);
    QFETCH(QString, snapName);
    QFETCH(QString, argument);
    const auto found = DesktopEntries::find(id);
    QVERIFY(found);
    QCOMPARE(found->program, program);
    QCOMPARE(found->tryExecutable, tryExecutable);
    QCOMPARE(found->flatpakId, flatpakId);
    QCOMPARE(found->snapName, snapName);
    QCOMPARE(found->argument, argument);
}

void DesktopEntriesTest::findsByIdOrName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::newRow("id") << editorId << editorId;
    QTest::newRow("id without suffix") << "org.quorvel.FixtureEditor" << editorId;
    QTest::newRow("name") << "Fixture Editor" << editorId;
    QTest::newRow("name in other case") << "fixture EDITOR" << editorId;
    QTest::newRow("entry in a subfolder") << "Nested Tool"
                                          << "tools-nested.desktop";
    QTest::newRow("system folder") << "system-viewer"
                                   << "system-viewer.desktop";
    QTest::newRow("unknown") << "Nonexistent" << QString();
    QTest::newRow("hidden") << "Hidden App" << QString();
    QTest::newRow("not for display") << "helper.desktop" << QString();
}

void DesktopEntriesTest::findsByIdOrName()
{
    QFETCH(QString, name);
    QFETCH(QString, id);
    const auto found = DesktopEntries::find(name);
    QCOMPARE(found ? found->id : QString(), id);
}

void DesktopEntriesTest::launchesDetachedWithoutNamedVariables()
{
    qputenv("QUORVEL_TOKEN", "secret");
    qputenv("QUORVEL_FIXTURE_MARK", "passed");
    QString error;
    const bool launched = DesktopEntries::launch("env-probe.desktop", {"QUORVEL_TOKEN"}, &error);
    qunsetenv("QUORVEL_TOKEN");
    qunsetenv("QUORVEL_FIXTURE_MARK");
    QVERIFY2(launched, qPrintable(error));

    QFile environment(m_dir.filePath("launched.env"));
    QTRY_VERIFY(environment.exists());
    QVERIFY(environment.open(QIODevice::ReadOnly));
    const QByteArray lines = environment.readAll();
    QVERIFY(lines.contains("QUORVEL_FIXTURE_MARK=passed\n"));
    QVERIFY(!lines.contains("QUORVEL_TOKEN"));
}

void DesktopEntriesTest::launchOfUnknownIdFails()
{
    QString error;
    QVERIFY(!DesktopEntries::launch("no-such-app.desktop", {}, &error));
    QVERIFY(!error.isEmpty());
}

void DesktopEntriesTest::matchesRunningProcessesToEntries()
{
    for (const QString &program : {bin("fixture-editor"), bin("unlisted-tool")}) {
        auto *process = new QProcess;
        process->start(program, {"300"});
        QVERIFY(process->waitForStarted());
        m_running.append(process);
    }
    const qint64 editorPid = m_running[0]->processId();
    const qint64 unlistedPid = m_running[1]->processId();

    const QList<RunningApplication> running =
        RunningApplications::list(DesktopEntries::installed());

    QVERIFY(running.contains(
        (RunningApplication{"Fixture Editor", "fixture-editor", editorId, editorPid})));
    for (const RunningApplication &application : running)
        QVERIFY(application.pid != unlistedPid);
}

QTEST_GUILESS_MAIN(DesktopEntriesTest)
#include "DesktopEntriesTest.moc"

#include "Platform/Desktop/CallerApplication.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

const QString ownID = QStringLiteral("com.vantrel.quorvel.desktop");
const QString plainSession = QStringLiteral("session-2.scope");
// Rows name small pids; the table holds them this much higher, where this test's own pid cannot
// be (pid_max is at most 4194304).
constexpr qint64 pidOffset = 4100000;

QString tablePid(const QString &rowPid)
{
    return rowPid == QLatin1String("1") ? rowPid : QString::number(rowPid.toLongLong() + pidOffset);
}

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

// A process table of its own: each row "pid ppid unit program [argument…]", program one of the
// fixture's programs; "SCRIPTS/" in an argument stands for the fixture's folder of scripts, which
// is every process's working folder.
class FakeProcesses {
public:
    FakeProcesses()
    {
        // Programs of their own, not scripts: the process runs the very file.
        for (const char *program : {"editor", "viewer", "quorvel", "shell", "interpreter"})
            writeFile(programPath(program), "fixture program\n", true);
        for (const char *script : {"tool.py", "other.py"})
            writeFile(scriptPath(script), "print('fixture')\n");
    }

    QString programPath(const QString &name) const { return m_dir.filePath("bin/" + name); }
    QString scriptPath(const QString &name) const { return m_dir.filePath("scripts/" + name); }
    QString procRoot() const { return m_dir.filePath("proc") + u'/'; }

    bool add(const QString &row)
    {
        const QStringList fields = row.split(u' ');
        const QString dir = procRoot() + tablePid(fields.at(0)) + u'/';
        const QByteArray stat = tablePid(fields.at(0)).toUtf8() + " (a (b) c) S " +
                                tablePid(fields.at(1)).toUtf8() + " 1 1 0 -1";
        const QByteArray cgroup = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" +
                                  fields.at(2).toUtf8() + "\n";
        QByteArray cmdline;
        for (const QString &word : fields.mid(3))
            cmdline += QString(word).replace("SCRIPTS/", scriptPath(QString())).toUtf8() + '\0';
        return writeFile(dir + "stat", stat) && writeFile(dir + "cgroup", cgroup) &&
               writeFile(dir + "cmdline", cmdline) &&
               QFile::link(programPath(fields.at(3)), dir + "exe") &&
               QFile::link(scriptPath(QString()), dir + "cwd");
    }

    // An entry whose Exec line starts the program directly.
    static DesktopEntry entry(const QString &id, const QString &name, const QString &executable)
    {
        DesktopEntry entry;
        entry.id = id;
        entry.name = name;
        entry.executable = executable;
        entry.program = executable;
        return entry;
    }

    QList<DesktopEntry> entries() const
    {
        // "interpreter SCRIPTS/tool.py": an interpreter given its script.
        DesktopEntry tool = entry("org.example.Tool.desktop", "Tool", programPath("interpreter"));
        tool.argument = scriptPath("tool.py");
        return {
            entry("org.example.Editor.desktop", "Editor", programPath("editor")),
            entry("org.example.Viewer.desktop", "Viewer", "/nowhere/viewer"),
            entry("org.example.Tool-kit.desktop", "Tool Kit", {}),
            tool,
            entry(ownID, "Quorvel", programPath("quorvel")),
        };
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

// Finding the application behind a caller's process by its systemd unit, its program and its
// parents, in a process table of the test's own.
class CallerApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QStringList>("processes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("scope with a launcher")
            << QStringList{"100 1 app-gnome-org.example.Editor-4711.scope shell"}
            << "org.example.Editor.desktop";
        QTest::newRow("service without a launcher")
            << QStringList{"100 1 app-org.example.Editor@a1b2.service shell"}
            << "org.example.Editor.desktop";
        QTest::newRow("flatpak")
            << QStringList{"100 1 app-flatpak-org.example.Viewer-12.scope shell"}
            << "org.example.Viewer.desktop";
        QTest::newRow("escaped dash in the id")
            << QStringList{"100 1 app-gnome-org.example.Tool\\x2dkit-5.scope shell"}
            << "org.example.Tool-kit.desktop";
        QTest::newRow("by the program")
            << QStringList{"100 1 " + plainSession + " editor"} << "org.example.Editor.desktop";
        QTest::newRow("by a parent") << QStringList{"100 1 " + plainSession + " editor",
                                                    "200 100 " + plainSession + " shell"}
                                     << "org.example.Editor.desktop";
        QTest::newRow("this program forwarding is skipped")
            << QStringList{"100 1 app-gnome-org.example.Editor-1.scope shell",
                           "200 100 app-gio-com.vantrel.quorvel-9.scope quorvel"}
            << "org.example.Editor.desktop";
        // Approving an interpreter's application approves that script, not every script of the
        // interpreter.
        QTest::newRow("an interpreter's application by its script")
            << QStringList{"100 1 " + plainSession + " interpreter SCRIPTS/tool.py"}
            << "org.example.Tool.desktop";
        QTest::newRow("its script after options, relative to the working folder")
            << QStringList{"100 1 " + plainSession + " interpreter -u tool.py --verbose"}
            << "org.example.Tool.desktop";
        QTest::newRow("the interpreter running another script")
            << QStringList{"100 1 " + plainSession + " interpreter SCRIPTS/other.py"} << "";
        QTest::newRow("the interpreter given the script later")
            << QStringList{"100 1 " + plainSession +
                           " interpreter SCRIPTS/other.py SCRIPTS/tool.py"}
            << "";
        QTest::newRow("the interpreter alone")
            << QStringList{"100 1 " + plainSession + " interpreter"} << "";
        QTest::newRow("another script's parent is the application")
            << QStringList{"100 1 " + plainSession + " interpreter SCRIPTS/tool.py",
                           "200 100 " + plainSession + " interpreter SCRIPTS/other.py"}
            << "org.example.Tool.desktop";
        QTest::newRow("an unknown unit and program")
            << QStringList{"100 1 app-gnome-org.example.Unknown-3.scope shell"} << "";
        QTest::newRow("a parent that loops")
            << QStringList{"100 100 " + plainSession + " shell"} << "";
        // Twelve processes are looked at, the caller (the highest pid) first.
        const auto chain = [](int shells) {
            const int top = 500;
            QStringList rows;
            for (int pid = top; pid > top - shells; --pid)
                rows << QString::number(pid) + u' ' + QString::number(pid - 1) + u' ' +
                            plainSession + " shell";
            rows << QString::number(top - shells) + " 1 " + plainSession + " editor";
            return rows;
        };
        QTest::newRow("the application at the last try")
            << chain(CallerApplication::maxTries - 1) << "org.example.Editor.desktop";
        QTest::newRow("the application beyond the last try")
            << chain(CallerApplication::maxTries) << "";
    }

    void find()
    {
        QFETCH(QStringList, processes);
        QFETCH(QString, expected);
        FakeProcesses table;
        for (const QString &row : processes)
            QVERIFY2(table.add(row), qPrintable(row));
        qint64 caller = 0;
        for (const QString &row : processes)
            caller = std::max(caller, row.section(u' ', 0, 0).toLongLong());
        const CallerApplication finder(table.entries(), ownID, table.procRoot());
        const std::optional<DesktopEntry> found = finder.find(caller + pidOffset);
        QCOMPARE(found ? found->id : QString(), expected);
    }
};

QTEST_GUILESS_MAIN(CallerApplicationTest)
#include "CallerApplicationTest.moc"

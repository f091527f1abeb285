#include "Platform/Session/LoginAgentUnit.h"
#include "Quorvel/LoginItem.h"

#include "StandInSystemctl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Quorvel::LoginAgentUnit::Status)

using namespace Quorvel;
using namespace Quorvel::AppTest;

// The login agent's unit: its text, what the real systemd tools make of it in the test's own
// XDG_CONFIG_HOME (no user manager runs here: verify and enable/is-enabled/disable work offline),
// and the rewrite of a unit that names a moved program.
class LoginAgentUnitTest : public QObject {
    Q_OBJECT

private slots:
    void unitText();
    void quotedExecPath_data();
    void quotedExecPath();
    void isRunningAsAgent_data();
    void isRunningAsAgent();
    void realSystemdAcceptsTheUnit();
    void unitRunsOnlyWhileItsProgramIsThere_data();
    void unitRunsOnlyWhileItsProgramIsThere();
    void realSystemctlRegistersAndUnregisters();
    void statusFromSystemctl_data();
    void statusFromSystemctl();
    void startRewritesAStaleUnit_data();
    void startRewritesAStaleUnit();
    void startKeepsAMatchingUnit();
    void failuresAreLogged();
};

void LoginAgentUnitTest::unitText()
{
    LoginAgentUnit::Options options;
    options.executable = QStringLiteral("/opt/Quorvel/bin/quorvel");
    const QString text = LoginAgentUnit(options).unitText();
    const QStringList lines = text.split(u'\n');
    QVERIFY(lines.contains(QStringLiteral("ExecStart=\"/opt/Quorvel/bin/quorvel\"")));
    QVERIFY(lines.contains(
        QStringLiteral("Environment=QUORVEL_LOGIN_AGENT=com.vantrel.quorvel.agent")));
    // Nothing of the unit speaks another system's words.
    QVERIFY(!text.contains(QStringLiteral("XPC")));
    QVERIFY(lines.contains(QStringLiteral("Restart=on-failure")));
    QVERIFY(lines.contains(QStringLiteral("WantedBy=graphical-session.target")));
}

void LoginAgentUnitTest::quotedExecPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "/usr/bin/quorvel"
                           << "\"/usr/bin/quorvel\"";
    QTest::newRow("space") << "/home/a b/quorvel"
                           << "\"/home/a b/quorvel\"";
    QTest::newRow("percent is no specifier") << "/x/100%/q"
                                             << "\"/x/100%%/q\"";
    QTest::newRow("dollar is no variable") << "/x/$HOME/q"
                                           << "\"/x/$$HOME/q\"";
    QTest::newRow("quote and backslash") << "/x/\"a\\b"
                                         << "\"/x/\\\"a\\\\b\"";
}

void LoginAgentUnitTest::quotedExecPath()
{
    QFETCH(QString, path);
    QTEST(LoginAgentUnit::quotedExecPath(path), "quoted");
}

void LoginAgentUnitTest::isRunningAsAgent_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("agent");
    const QByteArray current = LoginAgentUnit::agentVariable;
    // A unit an earlier version wrote and enabled still starts the agent.
    const QByteArray earlier = LoginAgentUnit::earlierAgentVariable;
    for (const QByteArray &variable : {current, earlier}) {
        const auto row = [&](const char *name, const QByteArray &value, bool agent) {
            QTest::addRow("%s: %s", variable.constData(), name) << variable << value << agent;
        };
        row("absent", QByteArray(), false);
        row("the agent's label", "com.vantrel.quorvel.agent", true);
        row("another service", "com.example.other", false);
        row("the label with more", "com.vantrel.quorvel.agent2", false);
        row("empty", "", false);
    }
}

void LoginAgentUnitTest::isRunningAsAgent()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    if (value.isNull())
        qunsetenv(variable.constData());
    else
        qputenv(variable.constData(), value);
    QTEST(LoginAgentUnit::isRunningAsAgent(), "agent");
    qunsetenv(variable.constData());
}

void LoginAgentUnitTest::realSystemdAcceptsTheUnit()
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed");
    // The unit in the test's private XDG_CONFIG_HOME, starting a program that exists.
    const LoginAgentUnit unit;
    QVERIFY(unit.registerAgent());
    QProcess verify;
    verify.start(analyze, {QStringLiteral("--user"), QStringLiteral("verify"), unit.unitPath()});
    QVERIFY(verify.waitForFinished());
    QVERIFY2(verify.exitCode() == 0, verify.readAllStandardError().constData());
    QVERIFY2(verify.readAllStandardError().isEmpty(), "systemd-analyze warned about the unit");
    unit.unregisterAgent();
}

void LoginAgentUnitTest::unitRunsOnlyWhileItsProgramIsThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "quorvel";
    QTest::newRow("space") << "my programs/quorvel";
    QTest::newRow("percent is no specifier") << "100%/quorvel";
    QTest::newRow("dollar is no variable") << "$HOME/quorvel";
}

// A unit left enabled after its program went (the package removed, the build folder deleted) is
// skipped at login rather than failing there again and again.
void LoginAgentUnitTest::unitRunsOnlyWhileItsProgramIsThere()
{
    QFETCH(QString, name);
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    LoginAgentUnit::Options options;
    options.executable = folder.filePath(name);
    const QStringList lines = LoginAgentUnit(options).unitText().split(u'\n');
    QStringList conditions;
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("Condition")))
            conditions << line;
    }
    QCOMPARE(conditions.size(), 1);
    // What systemd makes of the unit's condition, with the program there and without it.
    const auto holds = [&] {
        QProcess check;
        check.start(analyze, {QStringLiteral("condition"), conditions.first()});
        return check.waitForFinished() && check.exitStatus() == QProcess::NormalExit &&
               check.exitCode() == 0;
    };
    QVERIFY(!holds());
    QVERIFY(QDir().mkpath(QFileInfo(options.executable).path()));
    QFile program(options.executable);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    // Not yet a program: the unit could only fail.
    QVERIFY(!holds());
    QVERIFY(program.setPermissions(program.permissions() | QFile::ExeOwner));
    QVERIFY(holds());
    QVERIFY(program.remove());
    QVERIFY(!holds());
}

void LoginAgentUnitTest::realSystemctlRegistersAndUnregisters()
{
    if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty())
        QSKIP("systemctl is not installed");
    const LoginAgentUnit unit;
    QCOMPARE(unit.status(), LoginAgentUnit::Status::notFound);

    QString error;
    QVERIFY2(unit.registerAgent(&error), qPrintable(error));
    QCOMPARE(unit.status(), LoginAgentUnit::Status::enabled);
    QVERIFY(QFile::exists(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                          "/systemd/user/graphical-session.target.wants/" +
                          LoginAgentUnit::unitName));

    QVERIFY2(unit.unregisterAgent(&error), qPrintable(error));
    QCOMPARE(unit.status(), LoginAgentUnit::Status::notFound);

    // Turning off what is not on fails and says so.
    error.clear();
    QVERIFY(!unit.unregisterAgent(&error));
    QVERIFY(!error.isEmpty());
}

void LoginAgentUnitTest::statusFromSystemctl_data()
{
    QTest::addColumn<QString>("printed");
    QTest::addColumn<LoginAgentUnit::Status>("status");
    QTest::newRow("enabled") << "enabled" << LoginAgentUnit::Status::enabled;
    QTest::newRow("disabled") << "disabled" << LoginAgentUnit::Status::notRegistered;
    QTest::newRow("until the next boot only")
        << "enabled-runtime" << LoginAgentUnit::Status::notRegistered;
    QTest::newRow("masked") << "masked" << LoginAgentUnit::Status::notRegistered;
    QTest::newRow("unknown unit") << "" << LoginAgentUnit::Status::notFound;
}

void LoginAgentUnitTest::statusFromSystemctl()
{
    QFETCH(QString, printed);
    StandInSystemctl systemctl;
    systemctl.setState(printed);
    LoginAgentUnit::Options options;
    options.systemctl = systemctl.path();
    QTEST(LoginAgentUnit(options).status(), "status");
    QCOMPARE(systemctl.calls(),
             QStringList{QStringLiteral("is-enabled ") + LoginAgentUnit::unitName});
}

void LoginAgentUnitTest::startRewritesAStaleUnit_data()
{
    QTest::addColumn<bool>("moved");
    QTest::newRow("the program moved") << true;
    QTest::newRow("written by an earlier version") << false;
}

void LoginAgentUnitTest::startRewritesAStaleUnit()
{
    QFETCH(bool, moved);
    StandInSystemctl systemctl;
    LoginAgentUnit::Options options;
    options.systemctl = systemctl.path();
    options.unitFolder = systemctl.unitFolder();
    if (moved) {
        options.executable = QStringLiteral("/old/place/quorvel");
        QVERIFY(LoginAgentUnit(options).registerAgent());
        options.executable = QCoreApplication::applicationFilePath();
    }
    const LoginAgentUnit unit(options);
    if (!moved) {
        QVERIFY(unit.registerAgent());
        // The unit as an earlier version wrote it, for this very program.
        QString earlier = unit.unitText();
        earlier.replace(QLatin1String(LoginAgentUnit::agentVariable),
                        QLatin1String(LoginAgentUnit::earlierAgentVariable));
        QFile file(unit.unitPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write(earlier.toUtf8()) == earlier.toUtf8().size());
        file.close();
    }

    QVERIFY(!unit.unitMatchesExecutable());
    QVERIFY(unit.start());
    QVERIFY(unit.unitMatchesExecutable());
    const QString unitName = QString::fromLatin1(LoginAgentUnit::unitName);
    QCOMPARE(systemctl.calls(), (QStringList{"enable " + unitName, QStringLiteral("daemon-reload"),
                                             "start " + unitName}));
}

void LoginAgentUnitTest::startKeepsAMatchingUnit()
{
    StandInSystemctl systemctl;
    LoginAgentUnit::Options options;
    options.systemctl = systemctl.path();
    options.unitFolder = systemctl.unitFolder();
    const LoginAgentUnit unit(options);
    QVERIFY(unit.registerAgent());
    QVERIFY(unit.start());
    const QString unitName = QString::fromLatin1(LoginAgentUnit::unitName);
    QCOMPARE(systemctl.calls(), (QStringList{"enable " + unitName, "start " + unitName}));

    systemctl.failStart();
    QString error;
    QVERIFY(!unit.start(&error));
    QCOMPARE(error, "Job for " + unitName + " failed.");
}

void LoginAgentUnitTest::failuresAreLogged()
{
    StandInSystemctl systemctl;
    LoginAgentUnit::Options options;
    options.systemctl = systemctl.path();
    options.unitFolder = systemctl.unitFolder();
    const LoginAgentUnit unit(options);

    QTest::ignoreMessage(QtCriticalMsg,
                         "Couldn't turn off start at login: Quorvel is not set to start at login");
    setStartsAtLogin(unit, false);

    // A unit folder that cannot be made: turning on fails and says why.
    options.unitFolder = QStringLiteral("/proc/no-such-place");
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^Couldn't turn on start at login: Could not make"));
    setStartsAtLogin(LoginAgentUnit(options), true);
}

QTEST_GUILESS_MAIN(LoginAgentUnitTest)
#include "LoginAgentUnitTest.moc"

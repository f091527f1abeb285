#include "Quorvel/AppRoles.h"
#include "Quorvel/Outside/LinkApprovals.h"

#include "../../QuorvelClientUI/DBusSandboxReentry.h"
#include "../AppTestSupport.h"
#include "NotificationMock.h"
#include "OutsideTestSupport.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

// Far beyond a start of the sanitized program and a connection over the sandbox's mDNS.
constexpr int processLimitMs = 60000;
const QString errorPrefix = QStringLiteral("com.vantrel.quorvel.Error.");

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

int linesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

bool nameIsOwned(const QString &name)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
}

// A real host in its own process, serving a deck whose button appends a line to a file.
class RealHost {
public:
    explicit RealHost(const QString &marker)
    {
        const QByteArray deck = R"({"deck_name": "Studio", "controls": [
            {"id": "mark", "title": "Mark", "type": "button",
             "action": {"type": "shell", "target": "echo ran >> ')" +
                                marker.toUtf8() + R"('"}},
            {"id": "fan", "title": "Fan", "type": "toggle",
             "on_action": {"type": "shell", "target": "true"},
             "off_action": {"type": "shell", "target": "true"},
             "status_check": {"type": "shell_exit_code", "target": "false"}},
            {"id": "temp", "title": "Temperature", "type": "metric",
             "status_check": {"type": "shell_output", "target": "echo 21"}}]})";
        m_ready = writeFile(m_dir.filePath("deck.json"), deck) &&
                  writeFile(m_dir.filePath("home/data/Quorvel/host-id"), m_id.toUtf8());
    }
    // Each host has an id of its own: the sandbox's mDNS may still list the host of an earlier
    // test for a moment after it stopped.
    const QString &id() const { return m_id; }
    ~RealHost() { stop(); }

    bool start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUORVEL_DECK", m_dir.filePath("deck.json"));
        environment.insert("QUORVEL_TOKEN", firstCode().normalized());
        environment.insert("QUORVEL_RUNNER_HOME", m_dir.filePath("home"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(HOST_RUNNER), {});
        return m_ready &&
               QTest::qWaitFor(
                   [this] {
                       return m_process.canReadLine() || m_process.state() == QProcess::NotRunning;
                   },
                   processLimitMs) &&
               m_process.readLine().startsWith("port ");
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        m_process.waitForFinished(processLimitMs);
    }

private:
    QTemporaryDir m_dir;
    const QString m_id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QProcess m_process;
    bool m_ready = false;
};

// The program, started as the desktop would start it.
class Program {
public:
    bool start()
    {
        // Its log is kept, and passed on once it ended, to be read for warnings.
        m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_process.start(QStringLiteral(QUORVEL_PROGRAM), {});
        // The name is claimed before the actions are put on the bus.
        return QTest::qWaitFor(
            [] {
                return nameIsOwned(serviceName) &&
                       gdbusCall("ListActions", {}).output.startsWith(u'(');
            },
            processLimitMs);
    }
    bool quit()
    {
        m_process.terminate();
        const bool ended = m_process.waitForFinished(processLimitMs) && m_process.exitCode() == 0;
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        std::fputs(qPrintable(m_log), stderr);
        return ended;
    }
    // Its log until it ended: a quit that made a connection to an object already gone (one
    // ended with the application object) says "invalid nullptr parameter".
    bool loggedAFault() const { return m_log.contains(QLatin1String("invalid nullptr parameter")); }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning)
            quit();
    }

private:
    QProcess m_process;
    QString m_log;
};

// The pairing code saved under the host's id, once the sandbox's mDNS lists that host.
bool pairWithListedHost(const RealHost &host)
{
    ClientModel browser("Browser", KeychainTokenStore(), false, fastTimings());
    browser.start();
    const auto listed = [&browser, &host] {
        const QList<DiscoveredHost> hosts = browser.hosts();
        return std::any_of(hosts.cbegin(), hosts.cend(), [&host](const DiscoveredHost &found) {
            return found.hostID == host.id();
        });
    };
    return QTest::qWaitFor(listed, processLimitMs) && Keyring().save(firstCode(), host.id());
}

QJsonObject actionsFile()
{
    QFile file(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               "/Quorvel/remote-actions.json");
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

} // namespace

// The real program reached from outside: scripts with gdbus and links with gio open, against a
// real host found over the mDNS sandbox, on the D-Bus sandbox's session bus.
class ProgramFromOutsideTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        openClientSettings()->clear();
        QTRY_VERIFY(!nameIsOwned(serviceName));
    }

    // With the remote role off a script's call still looks for the host and waits for it; the
    // role only decides what the menu shows.
    void withTheRemoteRoleOffScriptsStillReachTheHost()
    {
        QTemporaryDir dir;
        RealHost host(dir.filePath("marker"));
        QVERIFY(host.start());
        QVERIFY(pairWithListedHost(host));
        AppTest::storeRoles(false, false);
        Program program;
        QVERIFY(program.start());
        // The switch's status check says off: the flip turns it on, and says so.
        QCOMPARE(gdbusCall("Run", {"fan"}, processLimitMs).output, "('Fan is on.',)");
        const CallResult empty = gdbusCall("Run", {""}, processLimitMs);
        QCOMPARE(empty.errorName, errorPrefix + "NoSuchAction");
        QCOMPARE(empty.errorText, QStringLiteral("No action was named: the id is empty."));
        QVERIFY(program.quit());
        QVERIFY(!program.loggedAFault());
    }

    void scriptsAndLinksRunTheHostsActions()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("marker");
        RealHost host(marker);
        QVERIFY(host.start());
        QVERIFY(pairWithListedHost(host));
        NotificationMock notices;
        QVERIFY(notices.start(processLimitMs));
        AppTest::storeRoles(true, false);
        // gio, the caller on the bus when a link is opened, is an application here, allowed
        // earlier.
        QVERIFY(writeFile(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) +
                              "/org.example.LinkOpener.desktop",
                          "[Desktop Entry]\nType=Application\nName=Link Opener\nExec=gio\n"));
        openClientSettings()->setValue(
            LinkApprovals::settingsKey,
            QVariantMap{{"org.example.LinkOpener.desktop",
                         QVariantMap{{"name", "Link Opener"}, {"allowed", true}}}});
        Program program;
        QVERIFY(program.start());
        QTRY_VERIFY_WITH_TIMEOUT(gdbusCall("ListActions", {}).output.contains("'mark'"),
                                 processLimitMs);

        QCOMPARE(gdbusCall("Run", {"mark"}, processLimitMs).output, "('Done: Mark.',)");
        QCOMPARE(linesIn(marker), 1);

        struct Refusal {
            QString method, id, error, text;
        };
        const QList<Refusal> refusals{
            {"TurnOn", "mark", "WrongKind",
             "Mark is a button, so it can't be turned on or off: use Run."},
            {"Run", "temp", "WrongKind", "Temperature is a readout, so there's nothing to run."},
            {"Run", "nope", "NoSuchAction", "has no action nope any more."},
        };
        for (const Refusal &refusal : refusals) {
            const CallResult result = gdbusCall(refusal.method, {refusal.id}, processLimitMs);
            QCOMPARE(result.errorName, errorPrefix + refusal.error);
            QVERIFY2(result.errorText.endsWith(refusal.text), qPrintable(result.errorText));
        }
        QCOMPARE(gdbusCall("TurnOff", {"fan"}, processLimitMs).output, "('Fan is off.',)");

        // A link opened through the desktop entry the program registered reaches it.
        QProcess gio;
        gio.start("gio", {"open", "quorvel://run/mark"});
        QVERIFY(gio.waitForFinished(processLimitMs));
        QTRY_COMPARE_WITH_TIMEOUT(linesIn(marker), 2, processLimitMs);

        gio.start("gio", {"open", "quorvel://run/a&b"});
        QVERIFY(gio.waitForFinished(processLimitMs));
        QTRY_VERIFY_WITH_TIMEOUT(!notices.shown().isEmpty(), processLimitMs);
        QCOMPARE(notices.shown().constFirst().section(" | ", 0, 0),
                 QStringLiteral("Couldn't run a&b"));
        QVERIFY(notices.shown().constFirst().section(" | ", 1).endsWith(
            "has no action called a&amp;b."));

        QTRY_COMPARE_WITH_TIMEOUT(actionsFile()["connected"].toBool(), true, processLimitMs);
        QVERIFY(program.quit());
        QVERIFY(!program.loggedAFault());
        QCOMPARE(actionsFile()["connected"].toBool(), false);
        QCOMPARE(actionsFile()["actions"].toArray().size(), 3);
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    ProgramFromOutsideTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "ProgramFromOutsideTest.moc"

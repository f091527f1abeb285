#include "Quorvel/Launcher.h"
#include "QuorvelClientUI/ClientSettings.h"

#include "StandInSystemctl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Quorvel;
using namespace Quorvel::AppTest;

namespace {

const QString busName = Launcher::defaultBusName;
// Long enough for a real agent to come up; the tests that reach it wait for a signal.
constexpr std::chrono::milliseconds agentWait{10000};
constexpr std::chrono::milliseconds shortAgentWait{300};

QDBusConnection otherConnection()
{
    static int count = 0;
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                         QStringLiteral("copy%1").arg(++count));
}

Launcher::Options options(const StandInSystemctl &systemctl, QDBusConnection bus,
                          std::chrono::milliseconds wait = agentWait)
{
    Launcher::Options result;
    result.bus = std::move(bus);
    result.loginAgent.systemctl = systemctl.path();
    result.loginAgent.unitFolder = systemctl.unitFolder();
    result.handover.agentWait = wait;
    result.handover.isAgent = false;
    return result;
}

LaunchRequest linkRequest(const QString &link)
{
    LaunchRequest request;
    request.links = {QUrl(link)};
    request.senderProcess = 4242;
    return request;
}

} // namespace

// Which copy runs: two launchers on two connections of the sandbox's session bus, the hand-over
// to a real stand-in agent process, and the lock file where there is no bus.
class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void aSecondCopyPassesItsRequestOn_data();
    void aSecondCopyPassesItsRequestOn();
    void theSenderIsTheCallersRealParent_data();
    void theSenderIsTheCallersRealParent();
    void handsOverAndPassesTheRequestToTheAgent();
    void anAgentThatFailsLeavesThisCopyRunning();
    void withoutABusTheLockFileDecides();
};

void LauncherTest::init()
{
    openClientSettings()->clear();
    QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(busName));
}

void LauncherTest::aSecondCopyPassesItsRequestOn_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<LaunchRequest>>("received");

    // Both copies are this process, whose real parent started it.
    LaunchRequest plain;
    plain.senderProcess = qint64(::getppid());
    LaunchRequest settings = plain;
    settings.showSettings = true;
    LaunchRequest editor = plain;
    editor.openDeckEditor = true;
    LaunchRequest onboarding = plain;
    onboarding.showOnboarding = true;
    LaunchRequest links = plain;
    links.links = {QUrl(QStringLiteral("quorvel://run/fan")),
                   QUrl(QStringLiteral("quorvel://run/light?state=on"))};

    QTest::newRow("plain start brings it forward") << QStringList() << QList<LaunchRequest>{plain};
    QTest::newRow("settings") << QStringList{"--settings-tab=host"}
                              << QList<LaunchRequest>{settings};
    QTest::newRow("windows and links")
        << QStringList{"--show-onboarding", "quorvel://run/fan", "--open-deck-editor",
                       "quorvel://run/light?state=on"}
        << QList<LaunchRequest>{onboarding, editor, links};
}

void LauncherTest::aSecondCopyPassesItsRequestOn()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<LaunchRequest>, received);
    StandInSystemctl systemctl;
    const QDBusConnection firstBus = otherConnection();
    Launcher first({}, options(systemctl, firstBus));
    QSignalSpy firstRuns(&first, &Launcher::runHere);
    QSignalSpy requested(&first, &Launcher::requested);
    first.start();
    QCOMPARE(firstRuns.size(), 1);

    LaunchRequest request = LaunchRequest::fromArguments(arguments);
    request.senderProcess = qint64(::getppid());
    Launcher second(request, options(systemctl, otherConnection()));
    QSignalSpy secondRuns(&second, &Launcher::runHere);
    QSignalSpy secondEnds(&second, &Launcher::endHere);
    second.start();

    QCOMPARE(secondRuns.size(), 0);
    QCOMPARE(secondEnds.size(), 1);
    QCOMPARE(secondEnds.first().first().toInt(), 0);
    // Every call was answered before the second copy ended.
    QCOMPARE(requested.size(), received.size());
    for (int i = 0; i < received.size(); ++i)
        QCOMPARE(requested.at(i).first().value<LaunchRequest>(), received.at(i));
    // Nobody tried to hand over: a copy runs already.
    QVERIFY(!systemctl.calls().join(u'\n').contains(QStringLiteral("start")));
    QDBusConnection(firstBus).interface()->unregisterService(busName);
}

void LauncherTest::theSenderIsTheCallersRealParent_data()
{
    QTest::addColumn<qint64>("named");
    QTest::addColumn<qint64>("sender");

    // The calling copy is this process: its parent is what the kernel says.
    const qint64 parent = ::getppid();
    const qint64 self = QCoreApplication::applicationPid();
    QTest::newRow("its real parent") << parent << parent;
    // As a copy whose getppid() a preloaded library answers would name it: the caller itself
    // stays the sender, and the opener is looked for among its real parents.
    QTest::newRow("another process") << qint64(1) << self;
    QTest::newRow("a process that does not exist") << qint64(4194305) << self;
}

void LauncherTest::theSenderIsTheCallersRealParent()
{
    QFETCH(qint64, named);
    QFETCH(qint64, sender);
    StandInSystemctl systemctl;
    const QDBusConnection firstBus = otherConnection();
    Launcher first({}, options(systemctl, firstBus));
    QSignalSpy requested(&first, &Launcher::requested);
    first.start();

    LaunchRequest request = linkRequest(QStringLiteral("quorvel://run/fan"));
    request.senderProcess = named;
    Launcher second(request, options(systemctl, otherConnection()));
    second.start();
    QDBusConnection(firstBus).interface()->unregisterService(busName);
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested.first().first().value<LaunchRequest>().senderProcess,
             std::optional<qint64>(sender));
}

void LauncherTest::handsOverAndPassesTheRequestToTheAgent()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("agent.log"));
    systemctl.setAgent(QStringLiteral("/usr/bin/python3 -m dbusmock --session -l %1 -t "
                                      "%2/application_template.py")
                           .arg(log, QStringLiteral(QUORVEL_APP_TEST_DIR)));
    const LoginAgentUnit unit(options(systemctl, otherConnection()).loginAgent);
    QVERIFY(unit.registerAgent());

    Launcher launcher(linkRequest(QStringLiteral("quorvel://run/fan")),
                      options(systemctl, otherConnection()));
    QSignalSpy runs(&launcher, &Launcher::runHere);
    QSignalSpy ends(&launcher, &Launcher::endHere);
    launcher.start();
    QVERIFY(ends.wait(int(agentWait.count())));
    QCOMPARE(ends.first().first().toInt(), 0);
    QCOMPARE(runs.size(), 0);

    // The agent got the link, with the process that asked.
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray calls = file.readAll();
    QVERIFY2(calls.contains("Open") && calls.contains("quorvel://run/fan") &&
                 calls.contains("4242"),
             calls.constData());
}

void LauncherTest::anAgentThatFailsLeavesThisCopyRunning()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    const QDBusConnection bus = otherConnection();
    Launcher launcher(linkRequest(QStringLiteral("quorvel://run/fan")),
                      options(systemctl, bus, shortAgentWait));
    QSignalSpy runs(&launcher, &Launcher::runHere);
    QSignalSpy ends(&launcher, &Launcher::endHere);

    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("Couldn't hand over to the login agent"));
    launcher.start();
    QVERIFY(runs.wait());
    QCOMPARE(ends.size(), 0);
    // It took the name back.
    QCOMPARE(QDBusConnection(bus).interface()->serviceOwner(busName).value(),
             QDBusConnection(bus).baseService());
    QDBusConnection(bus).interface()->unregisterService(busName);
}

void LauncherTest::withoutABusTheLockFileDecides()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    QTemporaryDir folder;
    Launcher::Options noBus = options(systemctl, QDBusConnection(QStringLiteral("no bus")));
    noBus.lockPath = folder.filePath(QStringLiteral("quorvel.lock"));

    auto first = std::make_unique<Launcher>(LaunchRequest(), noBus);
    QSignalSpy firstRuns(first.get(), &Launcher::runHere);
    first->start();
    QCOMPARE(firstRuns.size(), 1);

    // The running copy has held its lock for an hour: age alone never frees it.
    QFile lock(noBus.lockPath);
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    lock.close();

    Launcher second(LaunchRequest(), noBus);
    QSignalSpy secondEnds(&second, &Launcher::endHere);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("without a session bus"));
    second.start();
    QCOMPARE(secondEnds.size(), 1);

    // Without a bus nobody could see an agent come up: no hand-over was tried.
    QVERIFY(!systemctl.calls().join(u'\n').contains(QStringLiteral("start")));

    // Once the first copy has gone, the next one runs.
    first.reset();
    Launcher third(LaunchRequest(), noBus);
    QSignalSpy thirdRuns(&third, &Launcher::runHere);
    third.start();
    QCOMPARE(thirdRuns.size(), 1);
}

QTEST_GUILESS_MAIN(LauncherTest)
#include "LauncherTest.moc"

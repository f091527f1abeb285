#include "Quorvel/AppRoles.h"
#include "Quorvel/Outside/Updater.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include "AppTestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <memory>

using namespace Quorvel;

namespace {

const QString busName = QStringLiteral("com.vantrel.quorvel");
// Pairs of copies started together, each pair a new race for the name.
constexpr int simultaneousPairs = 20;
// Far beyond a start of the sanitized program, so that a copy that hangs shows as a failure.
constexpr int processLimitMs = 30000;

std::unique_ptr<QProcess>
startCopy(const QStringList &arguments,
          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(QStringLiteral(QUORVEL_PROGRAM));
    process->setArguments(arguments);
    process->setProcessEnvironment(environment);
    process->start();
    return process;
}

QString readStatus(const QString &key)
{
    QFile file(HostTokenStore::folderPath() + u'/' + QLatin1String(HostStatusFile::fileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(key).toString();
}

QString readStatusListener()
{
    return readStatus(QStringLiteral("listener"));
}

bool nameIsFree()
{
    return !QDBusConnection::sessionBus().interface()->isServiceRegistered(busName);
}

} // namespace

// The real program, started as a user, a desktop launcher or the session would start it, on the
// private session bus of the D-Bus sandbox with the offscreen platform.
class AppProcessTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void oneOfTwoSimultaneousCopiesSurvives();
    void aSignalWhileHostingLeavesTheStatusStopped_data();
    void aSignalWhileHostingLeavesTheStatusStopped();
    void withoutADisplayOneLineSaysWhy();
    void optionsThatEndAtOnce_data();
    void optionsThatEndAtOnce();
    void versionCarriesTheCheckoutsBuildNumber();
};

void AppProcessTest::init()
{
    openClientSettings()->clear();
    QTRY_VERIFY(nameIsFree());
}

void AppProcessTest::oneOfTwoSimultaneousCopiesSurvives()
{
    AppTest::storeRoles(false, false);
    for (int pair = 0; pair < simultaneousPairs; ++pair) {
        const QString linkA = QStringLiteral("quorvel://run/a%1").arg(pair);
        const QString linkB = QStringLiteral("quorvel://run/b%1").arg(pair);
        std::unique_ptr<QProcess> copies[] = {startCopy({linkA}), startCopy({linkB})};

        QTRY_VERIFY_WITH_TIMEOUT(copies[0]->state() == QProcess::NotRunning ||
                                     copies[1]->state() == QProcess::NotRunning,
                                 processLimitMs);
        const int ended = copies[0]->state() == QProcess::NotRunning ? 0 : 1;
        QProcess &loser = *copies[ended];
        QProcess &survivor = *copies[1 - ended];
        QVERIFY2(loser.exitStatus() == QProcess::NormalExit && loser.exitCode() == 0,
                 loser.readAllStandardError().constData());
        QCOMPARE(survivor.state(), QProcess::Running);

        // The survivor got its own link and the one the loser passed on.
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += survivor.readAllStandardError(),
                                  log.contains(linkA.toUtf8()) && log.contains(linkB.toUtf8())),
                                 processLimitMs);
        QVERIFY(
            !QDBusConnection::sessionBus().interface()->serviceOwner(busName).value().isEmpty());

        survivor.terminate();
        QVERIFY(survivor.waitForFinished(processLimitMs));
        QCOMPARE(survivor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(survivor.exitCode(), 0);
        QTRY_VERIFY(nameIsFree());
    }
}

void AppProcessTest::aSignalWhileHostingLeavesTheStatusStopped_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void AppProcessTest::aSignalWhileHostingLeavesTheStatusStopped()
{
    QFETCH(int, signalNumber);
    AppTest::storeRoles(false, true);
    QFile::remove(HostTokenStore::folderPath() + u'/' + QLatin1String(HostStatusFile::fileName));
    const std::unique_ptr<QProcess> copy = startCopy({});
    QVERIFY(copy->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!readStatusListener().isEmpty() &&
                                 readStatusListener() != QLatin1String("stopped"),
                             processLimitMs);

    ::kill(pid_t(copy->processId()), signalNumber);
    QVERIFY(copy->waitForFinished(processLimitMs));
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QVERIFY2(copy->exitCode() == 0, copy->readAllStandardError().constData());
    QCOMPARE(readStatusListener(), QStringLiteral("stopped"));
    QCOMPARE(readStatus(QStringLiteral("version")), Updater::shortVersion());
}

void AppProcessTest::withoutADisplayOneLineSaysWhy()
{
    QProcess copy;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    copy.setProcessEnvironment(environment);
    copy.start(QStringLiteral(QUORVEL_PROGRAM), {});
    QVERIFY(copy.waitForFinished(processLimitMs));
    QCOMPARE(copy.exitCode(), 1);
    const QString error = QString::fromUtf8(copy.readAllStandardError());
    QCOMPARE(error.count(u'\n'), 1);
    QVERIFY(error.contains(QStringLiteral("DISPLAY")));
    QVERIFY(nameIsFree());
}

void AppProcessTest::optionsThatEndAtOnce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");

    const QString version = "quorvel " + Updater::versionString() + "\n";
    const QString unknown =
        "quorvel: unknown option \"--bogus\" (quorvel --help lists the options)\n";
    QTest::newRow("help") << QStringList{"--help"} << true << 0 << "Usage: quorvel" << QString();
    QTest::newRow("version") << QStringList{"--version"} << true << 0 << version << QString();
    QTest::newRow("version without a display")
        << QStringList{"--version"} << false << 0 << version << QString();
    QTest::newRow("help wins over an unknown option")
        << QStringList{"--bogus", "--help"} << true << 0 << "Usage: quorvel" << QString();
    QTest::newRow("unknown option")
        << QStringList{"--open-deck-editor", "--bogus", "-x"} << true << 2 << QString() << unknown;
    QTest::newRow("unknown option without a display")
        << QStringList{"--open-deck-editor", "--bogus", "-x"} << false << 2 << QString() << unknown;
}

void AppProcessTest::optionsThatEndAtOnce()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, error);
    AppTest::storeRoles(false, false);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display) {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QLatin1String(name));
    }
    const std::unique_ptr<QProcess> copy = startCopy(arguments, environment);
    QVERIFY(copy->waitForFinished(processLimitMs));
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), status);
    const QString printed = QString::fromUtf8(copy->readAllStandardOutput());
    QVERIFY2(output.isEmpty() ? printed.isEmpty() : printed.startsWith(output),
             qPrintable(printed));
    const QString complaint = QString::fromUtf8(copy->readAllStandardError());
    QVERIFY2(complaint.endsWith(error), qPrintable(complaint));
    // It ended without claiming the program's name, so it neither ran nor passed anything on.
    QVERIFY(nameIsFree());
}

// A build from a git checkout, as the README makes it, shows which commit it was built from.
void AppProcessTest::versionCarriesTheCheckoutsBuildNumber()
{
    const QString source = qEnvironmentVariable("QUORVEL_SOURCE_DIR");
    QProcess git;
    git.start(QStringLiteral("git"), {QStringLiteral("-c"), QStringLiteral("safe.directory=*"),
                                      QStringLiteral("-C"), source, QStringLiteral("rev-list"),
                                      QStringLiteral("--count"), QStringLiteral("HEAD")});
    if (!git.waitForFinished(processLimitMs) || git.exitCode() != 0)
        QSKIP("The sources are no git checkout");
    const QString count = QString::fromUtf8(git.readAllStandardOutput()).trimmed();
    const std::unique_ptr<QProcess> copy = startCopy({QStringLiteral("--version")});
    QVERIFY(copy->waitForFinished(processLimitMs));
    QCOMPARE(QString::fromUtf8(copy->readAllStandardOutput()),
             "quorvel " + Updater::shortVersion() + " (" + count + ")\n");
}

QTEST_GUILESS_MAIN(AppProcessTest)
#include "AppProcessTest.moc"

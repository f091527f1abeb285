#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include "FakeIdleInhibitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;
using HostTest::FakeIdleInhibitor;

namespace {

const QString hostCode = QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2");

QJsonObject statusFile()
{
    QFile file(HostTokenStore::folderPath() + "/status.json");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

// What the running host tells about its keep-awake lock: the wish, whether a lock really holds
// the computer awake, and why not.
class HostKeepAwakeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void heldLockIsShownAndFollowsTheSwitch();
    void withNeitherServiceNoLockIsHeld();

private:
    QTemporaryDir m_deckDir;
};

void HostKeepAwakeTest::init()
{
    QVERIFY(m_deckDir.isValid());
    QDir(HostTokenStore::folderPath()).removeRecursively();
    qputenv("QUORVEL_DECK", m_deckDir.filePath("deck.json").toUtf8());
    qputenv("QUORVEL_TOKEN", hostCode.toUtf8());
    HostSettings::store(HostCoordinator::keepsAwakeKey, true);
}

void HostKeepAwakeTest::cleanup()
{
    qunsetenv("QUORVEL_DECK");
    qunsetenv("QUORVEL_TOKEN");
}

void HostKeepAwakeTest::heldLockIsShownAndFollowsTheSwitch()
{
    const auto script = std::make_shared<FakeIdleInhibitor::Script>();
    HostCoordinator::Options options;
    options.idleInhibitors = [script] {
        std::vector<std::unique_ptr<IdleInhibitor>> inhibitors;
        inhibitors.push_back(std::make_unique<FakeIdleInhibitor>("fake", script));
        return inhibitors;
    };
    HostCoordinator coordinator(options);
    QSignalSpy held(&coordinator, &HostCoordinator::awakeLockHeldChanged);
    QVERIFY(!coordinator.awakeLockHeld());

    coordinator.start();
    QTRY_VERIFY(coordinator.awakeLockHeld());
    QCOMPARE(held.count(), 1);
    QCOMPARE(coordinator.awakeLockProblem(), QString());
    QVERIFY(coordinator.diagnosticsText().contains("Keep awake: on (lock held by fake)"));
    QTRY_COMPARE(statusFile().value("awake_lock_held"), QJsonValue(true));
    QCOMPARE(statusFile().value("keep_awake"), QJsonValue(true));

    coordinator.setKeepsAwake(false);
    QVERIFY(!coordinator.awakeLockHeld());
    QCOMPARE(held.count(), 2);
    QCOMPARE(script->released, 1);
    QCOMPARE(statusFile().value("awake_lock_held"), QJsonValue(false));
    QVERIFY(coordinator.diagnosticsText().contains("Keep awake: off"));

    coordinator.setKeepsAwake(true);
    QTRY_VERIFY(coordinator.awakeLockHeld());
    coordinator.stop();
    QVERIFY(!coordinator.awakeLockHeld());
    QCOMPARE(script->released, 2);
    QCOMPARE(statusFile().value("awake_lock_held"), QJsonValue(false));
}

// No logind on the sandbox's system bus and no session bus at all: the wish stands, no lock
// holds, and the host says why everywhere it reports.
void HostKeepAwakeTest::withNeitherServiceNoLockIsHeld()
{
    HostCoordinator coordinator;
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("Keep awake is on, but no lock is held: logind: .*; "
                                            "GNOME session: no session bus"));
    coordinator.start();
    QTRY_VERIFY(!coordinator.awakeLockProblem().isEmpty());
    QVERIFY(coordinator.keepsAwake());
    QVERIFY(!coordinator.awakeLockHeld());

    const QString problem = coordinator.awakeLockProblem();
    QVERIFY(
        coordinator.diagnosticsText().contains("Keep awake: on (no lock held: " + problem + ")"));
    coordinator.writeStatusFile();
    const QJsonObject status = statusFile();
    QCOMPARE(status.value("keep_awake"), QJsonValue(true));
    QCOMPARE(status.value("awake_lock_held"), QJsonValue(false));
    QCOMPARE(status.value("awake_lock_problem").toString(), problem);
    coordinator.stop();
    QVERIFY(!statusFile().contains("awake_lock_problem"));
}

int main(int argc, char *argv[])
{
    // No session bus: GNOME's session manager can't be there. Set before anything opens a bus.
    QTemporaryDir noBus;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + noBus.filePath("no-bus").toUtf8());
    QCoreApplication app(argc, argv);
    HostKeepAwakeTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "HostKeepAwakeTest.moc"

#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "DBusMock.h"

#include "../../QuorvelClientUI/DBusSandboxReentry.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QTest>

using namespace Quorvel;
using HostTest::DBusMock;

namespace {

const QString sessionService = QStringLiteral("org.gnome.SessionManager");
const QString sessionPath = QStringLiteral("/org/gnome/SessionManager");
const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");

// logind's ListInhibitors gives a(ssssuu); only the "what" of each lock matters here.
QStringList logindLocks(DBusMock &logind)
{
    const QVariant reply = logind.call(logindManager, QStringLiteral("ListInhibitors"));
    QStringList what;
    const auto locks = reply.value<QDBusArgument>();
    locks.beginArray();
    while (!locks.atEnd()) {
        QString kind, who, why, mode;
        uint uid = 0, pid = 0;
        locks.beginStructure();
        locks >> kind >> who >> why >> mode >> uid >> pid;
        locks.endStructure();
        what.append(kind);
    }
    locks.endArray();
    return what;
}

// The flags of every lock the mock session manager holds.
QList<uint> sessionFlags(DBusMock &session)
{
    return qdbus_cast<QList<uint>>(session.call(sessionService, QStringLiteral("HeldFlags")));
}

} // namespace

// The system's inhibitors against a mock logind on a private system bus and a mock GNOME session
// manager on a private session bus, both served by python3-dbusmock.
class KeepAwakeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void takesAndReleasesBothLocks();
    void askingDoesNotWaitForTheAnswer();
    void aLockGrantedAfterOffIsGivenBack();
    void withoutGnomeLogindStillHolds();

private:
    std::unique_ptr<DBusMock> m_logind;
    std::unique_ptr<DBusMock> m_session;
};

void KeepAwakeTest::initTestCase()
{
    // The sandbox's logind serves the system bus; this test only reads it through the mock.
    m_logind = std::make_unique<DBusMock>(QDBusConnection::systemBus(), logindService, logindPath);
    QVERIFY(QDBusConnection::systemBus().interface()->isServiceRegistered(logindService));

    m_session =
        std::make_unique<DBusMock>(QDBusConnection::sessionBus(), sessionService, sessionPath);
    QVERIFY(m_session->start({"--session", sessionService, sessionPath, sessionService}));
    QVERIFY(m_session->addMethod(sessionService, "Inhibit", "susu", "u",
                                 "self.cookies = getattr(self, 'cookies', {})\n"
                                 "self.last_cookie = getattr(self, 'last_cookie', 0) + 1\n"
                                 "self.cookies[self.last_cookie] = args[3]\n"
                                 "ret = self.last_cookie"));
    QVERIFY(m_session->addMethod(sessionService, "Uninhibit", "u", "",
                                 "getattr(self, 'cookies', {}).pop(args[0], None)"));
    QVERIFY(m_session->addMethod(sessionService, "HeldFlags", "", "au",
                                 "ret = list(getattr(self, 'cookies', {}).values())"));
}

void KeepAwakeTest::cleanup()
{
    QTRY_VERIFY(logindLocks(*m_logind).isEmpty());
    QTRY_VERIFY(sessionFlags(*m_session).isEmpty());
}

void KeepAwakeTest::takesAndReleasesBothLocks()
{
    SleepPreventer preventer(IdleInhibitor::forThisSystem());
    preventer.setActive(true);
    QTRY_COMPARE(preventer.heldLocks(), (QStringList{"logind", "GNOME session"}));
    QCOMPARE(logindLocks(*m_logind), QStringList{"idle"});
    // Suspend only: the display may still sleep.
    QCOMPARE(sessionFlags(*m_session), QList<uint>{4});

    preventer.setActive(false);
    QVERIFY(!preventer.isActive());
    QTRY_VERIFY(logindLocks(*m_logind).isEmpty());
    QTRY_VERIFY(sessionFlags(*m_session).isEmpty());
}

// A slow logind must not hold up the host: the question goes out and the answer comes later.
void KeepAwakeTest::askingDoesNotWaitForTheAnswer()
{
    SleepPreventer preventer(IdleInhibitor::forThisSystem());
    preventer.setActive(true);
    QVERIFY(preventer.isAsking());
    QVERIFY(!preventer.isActive());
    QTRY_VERIFY(!preventer.isAsking());
    QVERIFY(preventer.isActive());
}

void KeepAwakeTest::aLockGrantedAfterOffIsGivenBack()
{
    const int logindAsked = m_logind->callCount("Inhibit");
    const int sessionAsked = m_session->callCount("Inhibit");
    SleepPreventer preventer(IdleInhibitor::forThisSystem());
    preventer.setActive(true);
    preventer.setActive(false);

    QTRY_COMPARE(m_logind->callCount("Inhibit"), logindAsked + 1);
    QTRY_COMPARE(m_session->callCount("Inhibit"), sessionAsked + 1);
    QTRY_VERIFY(logindLocks(*m_logind).isEmpty());
    QTRY_COMPARE(m_session->callCount("Uninhibit"), sessionAsked + 1);
    QVERIFY(sessionFlags(*m_session).isEmpty());
    QVERIFY(!preventer.isActive());
}

// Other desktops have no GNOME session manager: logind's lock alone keeps the computer awake.
void KeepAwakeTest::withoutGnomeLogindStillHolds()
{
    m_session.reset();
    QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(sessionService));
    SleepPreventer preventer(IdleInhibitor::forThisSystem());
    preventer.setActive(true);
    QTRY_VERIFY(!preventer.isAsking());
    QCOMPARE(preventer.heldLocks(), QStringList{"logind"});
    QCOMPARE(preventer.problem(), QString());
    preventer.setActive(false);
    QTRY_VERIFY(logindLocks(*m_logind).isEmpty());
    m_session =
        std::make_unique<DBusMock>(QDBusConnection::sessionBus(), sessionService, sessionPath);
}

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    KeepAwakeTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "KeepAwakeTest.moc"

#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "Platform/Power/LogindInhibitor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTest>

#include <memory>

using namespace Quorvel;

namespace {

// One entry of logind's ListInhibitors, a(ssssuu).
struct Inhibitor {
    QString what;
    QString who;
    QString why;
    QString mode;
    uint uid = 0;
    uint pid = 0;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Inhibitor &inhibitor)
{
    argument.beginStructure();
    argument << inhibitor.what << inhibitor.who << inhibitor.why << inhibitor.mode << inhibitor.uid
             << inhibitor.pid;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Inhibitor &inhibitor)
{
    argument.beginStructure();
    argument >> inhibitor.what >> inhibitor.who >> inhibitor.why >> inhibitor.mode >>
        inhibitor.uid >> inhibitor.pid;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Inhibitor)

namespace {

// The locks the (mock) logind holds now; it drops one as soon as its descriptor is closed.
std::optional<QList<Inhibitor>> currentInhibitors()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"));
    const QDBusMessage reply = QDBusConnection::systemBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return qdbus_cast<QList<Inhibitor>>(reply.arguments().first());
}

std::vector<std::unique_ptr<IdleInhibitor>> logindOnly()
{
    std::vector<std::unique_ptr<IdleInhibitor>> inhibitors;
    inhibitors.push_back(std::make_unique<LogindInhibitor>());
    return inhibitors;
}

qsizetype inhibitorCount()
{
    const auto inhibitors = currentInhibitors();
    return inhibitors ? inhibitors->size() : -1;
}

} // namespace

// Runs against a mock logind on a private system bus.
class SleepPreventerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<Inhibitor>();
        qDBusRegisterMetaType<QList<Inhibitor>>();
        QVERIFY(QDBusConnection::systemBus().isConnected());
        QCOMPARE(inhibitorCount(), 0);
    }

    void cleanup() { QTRY_COMPARE(inhibitorCount(), 0); }

    void onTakesOneIdleLock()
    {
        SleepPreventer preventer(logindOnly());
        preventer.setActive(true);
        QTRY_VERIFY(preventer.isActive());
        QCOMPARE(preventer.heldLocks(), QStringList{"logind"});

        const auto inhibitors = currentInhibitors();
        QVERIFY(inhibitors);
        QCOMPARE(inhibitors->size(), 1);
        const Inhibitor &lock = inhibitors->first();
        QCOMPARE(lock.what, QStringLiteral("idle"));
        QCOMPARE(lock.who, QStringLiteral("Quorvel"));
        QCOMPARE(lock.why, QString::fromUtf8(SleepPreventer::reason));
        QCOMPARE(lock.mode, QStringLiteral("block"));
        preventer.setActive(false);
    }

    void onTwiceOffOnceLeavesNoLock()
    {
        SleepPreventer preventer(logindOnly());
        preventer.setActive(true);
        preventer.setActive(true);
        QTRY_VERIFY(preventer.isActive());
        preventer.setActive(true);
        QCOMPARE(inhibitorCount(), 1);

        preventer.setActive(false);
        QVERIFY(!preventer.isActive());
        QTRY_COMPARE(inhibitorCount(), 0);
    }

    void offWithoutALockDoesNothing()
    {
        SleepPreventer preventer(logindOnly());
        preventer.setActive(false);
        QVERIFY(!preventer.isActive());
        QCOMPARE(inhibitorCount(), 0);
    }

    void onAgainAfterOffTakesANewLock()
    {
        SleepPreventer preventer(logindOnly());
        preventer.setActive(true);
        QTRY_VERIFY(preventer.isActive());
        preventer.setActive(false);
        QTRY_COMPARE(inhibitorCount(), 0);
        preventer.setActive(true);
        QTRY_VERIFY(preventer.isActive());
        QCOMPARE(inhibitorCount(), 1);
        preventer.setActive(false);
    }

    // The lock is a descriptor: a preventer that goes away cannot leave it behind.
    void droppingThePreventerReleasesTheLock()
    {
        auto preventer = std::make_unique<SleepPreventer>(logindOnly());
        preventer->setActive(true);
        QTRY_VERIFY(preventer->isActive());
        QCOMPARE(inhibitorCount(), 1);
        preventer.reset();
        QTRY_COMPARE(inhibitorCount(), 0);
    }
};

QTEST_GUILESS_MAIN(SleepPreventerTest)
#include "SleepPreventerTest.moc"

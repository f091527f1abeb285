#include "Quorvel/AgentHandover.h"
#include "QuorvelClientUI/ClientSettings.h"

#include "StandInSystemctl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<int>)

using namespace Quorvel;
using namespace Quorvel::AppTest;

namespace {

const QString busName = QStringLiteral("com.vantrel.quorvel");
const QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
// Long enough for a real agent to come up; the tests that reach it wait for a signal.
constexpr std::chrono::milliseconds agentWait{10000};
// For the agent that never comes up: the whole wait runs out.
constexpr std::chrono::milliseconds shortAgentWait{300};

QString agentCommand()
{
    return QStringLiteral("/usr/bin/python3 -m dbusmock --session -t %1/application_template.py")
        .arg(QStringLiteral(QUORVEL_APP_TEST_DIR));
}

} // namespace

// The hand-over to the login agent through a stand-in systemctl, with the clock injected, on the
// private session bus of the D-Bus sandbox; a real dbusmock process stands in for the agent.
class AgentHandoverTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void decision_data();
    void decision();
    void startsTheAgentAndWaitsForIt();
    void anAgentThatNeverComesUpKeepsThisCopy();
    void aStartThatFailsKeepsThisCopy();

private:
    LoginAgentUnit::Options unitOptions(const StandInSystemctl &systemctl) const
    {
        LoginAgentUnit::Options options;
        options.systemctl = systemctl.path();
        options.unitFolder = systemctl.unitFolder();
        return options;
    }
};

void AgentHandoverTest::init()
{
    openClientSettings()->clear();
    // An agent of an earlier test function was killed; the bus lets its name go shortly after.
    QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(busName));
}

void AgentHandoverTest::decision_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("isAgent");
    // Seconds from the last hand-over to now; none when there was none.
    QTest::addColumn<std::optional<int>>("sinceLast");
    QTest::addColumn<bool>("handsOver");

    QTest::newRow("enabled, first time") << "enabled" << false << std::optional<int>() << true;
    QTest::newRow("within the guard") << "enabled" << false << std::optional<int>(30) << false;
    QTest::newRow("just inside the guard") << "enabled" << false << std::optional<int>(59) << false;
    QTest::newRow("guard over") << "enabled" << false << std::optional<int>(60) << true;
    QTest::newRow("long ago") << "enabled" << false << std::optional<int>(86400) << true;
    QTest::newRow("date in the future") << "enabled" << false << std::optional<int>(-3600) << false;
    QTest::newRow("this is the agent") << "enabled" << true << std::optional<int>() << false;
    QTest::newRow("start at login off") << "disabled" << false << std::optional<int>() << false;
    QTest::newRow("no unit") << "" << false << std::optional<int>() << false;
}

void AgentHandoverTest::decision()
{
    QFETCH(QString, state);
    QFETCH(bool, isAgent);
    QFETCH(std::optional<int>, sinceLast);
    QFETCH(bool, handsOver);
    StandInSystemctl systemctl;
    systemctl.setState(state);
    if (sinceLast)
        openClientSettings()->setValue(AgentHandover::lastHandoverKey, now.addSecs(-*sinceLast));
    const QVariant before = openClientSettings()->value(AgentHandover::lastHandoverKey);

    const LoginAgentUnit unit(unitOptions(systemctl));
    AgentHandover handover(unit, {[] { return now; }, agentWait, isAgent});
    QCOMPARE(handover.shouldHandOver(), handsOver);

    const QVariant after = openClientSettings()->value(AgentHandover::lastHandoverKey);
    if (handsOver)
        QCOMPARE(after.toDateTime(), now);
    else
        QCOMPARE(after, before);
    // Deciding starts nothing.
    QVERIFY(!systemctl.calls().join(u'\n').contains(QStringLiteral("start")));
}

void AgentHandoverTest::startsTheAgentAndWaitsForIt()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    systemctl.setAgent(agentCommand());
    const LoginAgentUnit unit(unitOptions(systemctl));
    QVERIFY(unit.registerAgent());
    AgentHandover handover(unit, {[] { return now; }, agentWait, false});
    QSignalSpy finished(&handover, &AgentHandover::finished);

    QTest::ignoreMessage(QtInfoMsg, "Handing over to the login agent");
    handover.start(QDBusConnection::sessionBus(), busName);
    QVERIFY(finished.wait(int(agentWait.count())) || !finished.isEmpty());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(busName));
}

void AgentHandoverTest::anAgentThatNeverComesUpKeepsThisCopy()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    const LoginAgentUnit unit(unitOptions(systemctl));
    QVERIFY(unit.registerAgent());
    AgentHandover handover(unit, {[] { return now; }, shortAgentWait, false});
    QSignalSpy finished(&handover, &AgentHandover::finished);

    QTest::ignoreMessage(QtCriticalMsg,
                         "Couldn't hand over to the login agent: the agent did not come up within "
                         "300 ms");
    handover.start(QDBusConnection::sessionBus(), busName);
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(systemctl.calls().contains("start " + QString::fromLatin1(LoginAgentUnit::unitName)));
}

void AgentHandoverTest::aStartThatFailsKeepsThisCopy()
{
    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    systemctl.failStart();
    const LoginAgentUnit unit(unitOptions(systemctl));
    QVERIFY(unit.registerAgent());
    AgentHandover handover(unit, {[] { return now; }, agentWait, false});
    QSignalSpy finished(&handover, &AgentHandover::finished);

    QTest::ignoreMessage(QtCriticalMsg, "Couldn't hand over to the login agent: Job for "
                                        "com.vantrel.quorvel.agent.service failed.");
    handover.start(QDBusConnection::sessionBus(), busName);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
}

QTEST_GUILESS_MAIN(AgentHandoverTest)
#include "AgentHandoverTest.moc"

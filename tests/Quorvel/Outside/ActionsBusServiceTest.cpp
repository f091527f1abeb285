#include "Quorvel/Outside/ActionsBusService.h"

#include "OutsideTestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QSignalSpy>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

// The service on the sandbox's session bus under the application's name.
struct Published {
    explicit Published(ActionRunner *runner) : service(runner)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        registered = bus.registerService(serviceName) && service.registerOn(bus);
    }
    ~Published()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(ActionsBusService::objectPath);
        bus.unregisterService(serviceName);
    }
    ActionsBusService service;
    bool registered = false;
};

QString unreachable(const QString &host)
{
    return QStringLiteral("Couldn't reach ") + host +
           QStringLiteral(". It may be asleep or turned off, or on a different network from this "
                          "device.");
}

} // namespace

// The actions for scripts over the session bus, called with gdbus against a real client model
// linked to a host on loopback.
class ActionsBusServiceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void runsAndRefuses_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("connect");
        QTest::addColumn<bool>("remoteRoleOn");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errorName");
        QTest::addColumn<QString>("errorText");
        QTest::addColumn<int>("triggers");

        const QString prefix = QStringLiteral("com.vantrel.quorvel.Error.");
        QTest::newRow("a button runs") << "Run"
                                       << "lamp" << true << true << "('Done: Desk Lamp.',)"
                                       << ""
                                       << "" << 1;
        QTest::newRow("a switch turns off") << "TurnOff"
                                            << "fan" << true << true << "('Fan is off.',)"
                                            << ""
                                            << "" << 1;
        QTest::newRow("a button turned on") << "TurnOn"
                                            << "lamp" << true << true << "" << prefix + "WrongKind"
                                            << "Desk Lamp is a button: use Run Action." << 0;
        QTest::newRow("a readout run")
            << "Run"
            << "temp" << true << true << "" << prefix + "WrongKind"
            << "Temperature is a readout, so there's nothing to run." << 0;
        QTest::newRow("an unknown action")
            << "Run"
            << "nope" << true << true << "" << prefix + "NoSuchAction"
            << "HOST has no action nope any more." << 0;
        QTest::newRow("host unreachable")
            << "Run"
            << "lamp" << false << true << "" << prefix + "NotConnected"
            << unreachable("your Quorvel host") << 0;
        QTest::newRow("remote role off") << "TurnOn"
                                         << "fan" << false << false << "" << prefix + "NotConnected"
                                         << unreachable("your Quorvel host") << 0;
    }

    void runsAndRefuses()
    {
        QFETCH(QString, method);
        QFETCH(QString, id);
        QFETCH(bool, connect);
        QFETCH(bool, remoteRoleOn);
        QFETCH(QString, output);
        QFETCH(QString, errorName);
        QFETCH(QString, errorText);
        QFETCH(int, triggers);

        Session session(shortConnectionWait);
        session.remoteRoleOn = remoteRoleOn;
        if (connect)
            QVERIFY(session.connect());
        Published published(&session.runner);
        QVERIFY(published.registered);

        const CallResult result = gdbusCall(method, {id});
        QCOMPARE(result.output, output);
        QCOMPARE(result.errorName, errorName);
        QCOMPARE(result.errorText, QString(errorText).replace("HOST", session.host.info.hostName));
        QCOMPARE(session.triggerCount(), triggers);
        // With the role off nothing may start looking for hosts.
        QCOMPARE(session.model.isBrowsing(), connect || remoteRoleOn);
    }

    void remoteRoleOffAnswersAtOnce()
    {
        Session session;
        session.remoteRoleOn = false;
        Published published(&session.runner);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(gdbusCall("Run", {"lamp"}).errorName,
                 QStringLiteral("com.vantrel.quorvel.Error.NotConnected"));
        QVERIFY2(elapsed.elapsed() < ActionRunner::defaultConnectionWait.count() / 2,
                 "the call waited for a connection that was never going to come");
        QVERIFY(!session.model.isBrowsing());
    }

    void flipsFromTheStateTheHostReportedFirst()
    {
        Session session;
        session.host.holdStates = true;
        session.host.states = {stateOf("fan", true)};
        QVERIFY(session.startHost());
        session.model.connectTo(session.host.listing());
        QTRY_VERIFY(session.model.isConnected() && session.model.deck());

        Answer<ActionRunner::Ran> ran;
        session.runner.runAction("fan", std::nullopt, ran.context(), ran.handler());
        session.host.broadcast(Message(Message::StateUpdate{session.host.states}));
        QCOMPARE(ran.wait()->text, QStringLiteral("Done: Fan."));
        QCOMPARE(session.lastTrigger()->desiredState, std::optional<bool>(false));
    }

    void readsStatesAndValues()
    {
        Session session;
        session.host.states = {stateOf("fan", true), stateOf("temp", std::nullopt, "21 C")};
        QVERIFY(session.connect());
        Published published(&session.runner);

        QCOMPARE(gdbusCall("IsOn", {"fan"}).output, "(true,)");
        QCOMPARE(gdbusCall("IsOn", {"temp"}).output, "(false,)");
        QCOMPARE(gdbusCall("GetValue", {"temp"}).output, "('21 C', 'Temperature: 21 C')");
        QCOMPARE(gdbusCall("GetValue", {"fan"}).output, "('On', 'Fan: On')");
        QCOMPARE(gdbusCall("GetValue", {"lamp"}).output, "('', 'Desk Lamp: no value yet')");
        QCOMPARE(gdbusCall("IsOn", {"nope"}).errorName,
                 QStringLiteral("com.vantrel.quorvel.Error.NoSuchAction"));
        QCOMPARE(session.triggerCount(), 0);
    }

    void listsTheActions()
    {
        Session session;
        QVERIFY(session.connect());
        Published published(&session.runner);

        QCOMPARE(gdbusCall("ListActions", {}).output,
                 "([('lamp', 'Desk Lamp', 'Button', ''), ('fan', 'Fan', 'Switch', ''), "
                 "('temp', 'Temperature', 'Readout', '')],)");
        QCOMPARE(gdbusCall("ActionsByIds", {"['temp', 'lamp', 'temp']"}).output,
                 "([('lamp', 'Desk Lamp', 'Button', ''), ('temp', 'Temperature', 'Readout', "
                 "'')],)");
        // Titles match in any letter case; an id alone does not.
        QCOMPARE(gdbusCall("SearchActions", {"LAMP"}).output,
                 "([('lamp', 'Desk Lamp', 'Button', '')],)");
        QCOMPARE(gdbusCall("SearchActions", {"temp"}).output,
                 "([('temp', 'Temperature', 'Readout', '')],)");
        QCOMPARE(gdbusCall("SearchActions", {"ature"}).output,
                 "([('temp', 'Temperature', 'Readout', '')],)");
        QCOMPARE(gdbusCall("SearchActions", {"fa n"}).output, "(@a(ssss) [],)");

        // Without a host the last deck is still listed.
        session.model.disconnect();
        QCOMPARE(gdbusCall("ActionsByIds", {"['fan']"}).output,
                 "([('fan', 'Fan', 'Switch', '')],)");
    }

    void entitiesShowTheIdForAnEmptyTitle()
    {
        Deck deck = sampleDeck();
        deck.controls[0].title.clear();
        deck.controls[1].icon = QStringLiteral("fan");
        const QList<ActionEntity> entities = ActionEntity::list(deck);
        QCOMPARE(entities.at(0).title, QStringLiteral("lamp"));
        QCOMPARE(entities.at(1).icon, QStringLiteral("fan"));
        QVERIFY(ActionEntity::list(std::nullopt).isEmpty());
    }

    void aDeckChangeIsSignalled()
    {
        Session session;
        QVERIFY(session.connect());
        Published published(&session.runner);
        QSignalSpy changed(&published.service, &ActionsBusService::ActionsChanged);
        Deck deck = sampleDeck();
        deck.controls.pop_back();
        session.host.setDeckQuietly(deck);
        session.host.broadcast(Message(deck));
        QTRY_COMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(ActionsBusServiceTest)
#include "ActionsBusServiceTest.moc"

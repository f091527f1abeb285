#include "Quorvel/Outside/ActionsBusService.h"

#include "OutsideTestSupport.h"

#include "QuorvelCore/Link/DeviceText.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QMap>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QXmlStreamReader>

#include <algorithm>

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

// As a script gives it: the reply may take the connection wait and the host's 90 s.
constexpr int callTimeoutMs = 110 * 1000;

// The interface as the bus describes it to a caller on another connection: each member ("method
// Run", "signal ActionsChanged") with its arguments ("in s id"), and "annotation NAME" for any
// annotation, which means nothing to a script.
QMap<QString, QStringList> introspectedMembers()
{
    QDBusConnection caller =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("introspect"));
    // The event loop runs meanwhile: this process answers the call.
    const QDBusMessage reply = caller.call(
        QDBusMessage::createMethodCall(serviceName, ActionsBusService::objectPath,
                                       QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                       QStringLiteral("Introspect")),
        QDBus::BlockWithGui);
    QDBusConnection::disconnectFromBus(QStringLiteral("introspect"));
    QMap<QString, QStringList> members;
    QXmlStreamReader xml(reply.arguments().value(0).toString());
    bool inInterface = false;
    QString member;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("interface"))
            inInterface = false;
        if (!xml.isStartElement())
            continue;
        const QString tag = xml.name().toString();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (tag == QLatin1String("interface")) {
            inInterface = attributes.value("name") == ActionsBusService::interfaceName;
        } else if (inInterface &&
                   (tag == QLatin1String("method") || tag == QLatin1String("signal"))) {
            member = tag + u' ' + attributes.value("name").toString();
            members[member];
        } else if (inInterface && tag == QLatin1String("arg")) {
            const QString direction = attributes.hasAttribute("direction")
                                          ? attributes.value("direction").toString()
                                          : QStringLiteral("in");
            members[member] << direction + u' ' + attributes.value("type").toString() + u' ' +
                                   attributes.value("name").toString();
        } else if (inInterface && tag == QLatin1String("annotation")) {
            members[member] << QStringLiteral("annotation ") + attributes.value("name").toString();
        }
    }
    return members;
}

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
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errorName");
        QTest::addColumn<QString>("errorText");
        QTest::addColumn<int>("triggers");

        const QString prefix = QStringLiteral("com.vantrel.quorvel.Error.");
        const QString longestID(DeviceText::maxIdLength, u'x');
        QTest::newRow("a button runs") << "Run"
                                       << "lamp" << true << "('Done: Desk Lamp.',)"
                                       << ""
                                       << "" << 1;
        QTest::newRow("a switch turns off") << "TurnOff"
                                            << "fan" << true << "('Fan is off.',)"
                                            << ""
                                            << "" << 1;
        // The host reported no state for it, so the flip turns it on.
        QTest::newRow("a switch flips on") << "Run"
                                           << "fan" << true << "('Fan is on.',)"
                                           << ""
                                           << "" << 1;
        QTest::newRow("a button turned on")
            << "TurnOn"
            << "lamp" << true << "" << prefix + "WrongKind"
            << "Desk Lamp is a button, so it can't be turned on or off: use Run." << 0;
        QTest::newRow("a button turned off")
            << "TurnOff"
            << "lamp" << true << "" << prefix + "WrongKind"
            << "Desk Lamp is a button, so it can't be turned on or off: use Run." << 0;
        QTest::newRow("a readout run")
            << "Run"
            << "temp" << true << "" << prefix + "WrongKind"
            << "Temperature is a readout, so there's nothing to run." << 0;
        QTest::newRow("an unknown action") << "Run"
                                           << "nope" << true << "" << prefix + "NoSuchAction"
                                           << "HOST has no action nope any more." << 0;
        QTest::newRow("the longest id the host takes")
            << "Run" << longestID << true << "" << prefix + "NoSuchAction"
            << "HOST has no action " + longestID + " any more." << 0;
        QTest::newRow("host unreachable") << "Run"
                                          << "lamp" << false << "" << prefix + "NotConnected"
                                          << unreachable("your Quorvel host") << 0;
    }

    void runsAndRefuses()
    {
        QFETCH(QString, method);
        QFETCH(QString, id);
        QFETCH(bool, connect);
        QFETCH(QString, output);
        QFETCH(QString, errorName);
        QFETCH(QString, errorText);
        QFETCH(int, triggers);

        Session session(shortConnectionWait);
        if (connect)
            QVERIFY(session.connect());
        Published published(&session.runner);
        QVERIFY(published.registered);

        const CallResult result = gdbusCall(method, {id});
        QCOMPARE(result.output, output);
        QCOMPARE(result.errorName, errorName);
        QCOMPARE(result.errorText, QString(errorText).replace("HOST", session.host.info.hostName));
        QCOMPARE(session.triggerCount(), triggers);
    }

    // No action can have such an id, so nothing waits for the host, nor starts looking for one.
    void idsNoActionHasAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("errorText");

        const QString empty = QStringLiteral("No action was named: the id is empty.");
        const QString tooLong =
            QStringLiteral("No action has an id that long: ids have at most 128 characters.");
        const QString overlong(DeviceText::maxIdLength + 1, u'x');
        QTest::newRow("run, empty") << "Run" << QString() << empty;
        QTest::newRow("turn on, empty") << "TurnOn" << QString() << empty;
        QTest::newRow("is on, empty") << "IsOn" << QString() << empty;
        QTest::newRow("value, empty") << "GetValue" << QString() << empty;
        QTest::newRow("run, too long") << "Run" << overlong << tooLong;
        QTest::newRow("turn off, too long") << "TurnOff" << overlong << tooLong;
        QTest::newRow("is on, too long") << "IsOn" << overlong << tooLong;
    }

    void idsNoActionHasAreRefusedAtOnce()
    {
        QFETCH(QString, method);
        QFETCH(QString, id);
        QFETCH(QString, errorText);

        Session session;
        Published published(&session.runner);
        QElapsedTimer elapsed;
        elapsed.start();
        const CallResult result = gdbusCall(method, {id});
        QCOMPARE(result.errorName, QStringLiteral("com.vantrel.quorvel.Error.NoSuchAction"));
        QCOMPARE(result.errorText, errorText);
        QVERIFY2(elapsed.elapsed() < ActionRunner::defaultConnectionWait.count() / 2,
                 "the call waited for a host");
        QVERIFY(!session.model.isBrowsing());
    }

    // Calls that wait for the host are capped: past the cap a call is refused at once, and once
    // the waiting ones are answered calls are taken again.
    void waitingCallsAreCapped()
    {
        Session session;
        Published published(&session.runner);
        QDBusConnection caller =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("caller"));
        const auto call = [&caller](const QString &method) {
            QDBusMessage message =
                QDBusMessage::createMethodCall(serviceName, ActionsBusService::objectPath,
                                               ActionsBusService::interfaceName, method);
            message << QStringLiteral("lamp");
            return caller.asyncCall(message, callTimeoutMs);
        };

        QList<QDBusPendingCall> waiting;
        for (int i = 0; i < ActionsBusService::maxWaitingCalls; ++i)
            waiting.append(call(i % 2 ? QStringLiteral("Run") : QStringLiteral("IsOn")));
        QTRY_COMPARE(published.service.waitingCalls(), ActionsBusService::maxWaitingCalls);

        // Waiting for it would block the event loop that answers it.
        const QDBusPendingCall refused = call(QStringLiteral("GetValue"));
        QTRY_VERIFY(refused.isFinished());
        QCOMPARE(refused.error().type(), QDBusError::LimitsExceeded);
        QVERIFY(refused.error().message().startsWith("Too many calls are waiting for the host"));
        for (const QDBusPendingCall &pending : std::as_const(waiting))
            QVERIFY(!pending.isFinished());

        QVERIFY(session.connect());
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(waiting.cbegin(), waiting.cend(),
                                             [](const QDBusPendingCall &pending) {
                                                 return pending.isFinished() && !pending.isError();
                                             }),
                                 answerLimitMs);
        QTRY_COMPARE(published.service.waitingCalls(), 0);
        QCOMPARE(session.triggerCount(), ActionsBusService::maxWaitingCalls / 2);
        QCOMPARE(gdbusCall("GetValue", {"lamp"}).output, "('', 'Desk Lamp: no value yet')");
        QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
    }

    // What a script's tools show of the interface: every argument named, every type D-Bus's own,
    // and no member that the object does not have.
    void describesItselfInDBusTerms_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("arguments");

        QTest::newRow("Run") << "method Run"
                             << "in s id, out s text";
        QTest::newRow("TurnOn") << "method TurnOn"
                                << "in s id, out s text";
        QTest::newRow("TurnOff") << "method TurnOff"
                                 << "in s id, out s text";
        QTest::newRow("IsOn") << "method IsOn"
                              << "in s id, out b state";
        QTest::newRow("GetValue") << "method GetValue"
                                  << "in s id, out s value, out s dialog";
        QTest::newRow("ListActions") << "method ListActions"
                                     << "out a(ssss) actions";
        QTest::newRow("ActionsByIds") << "method ActionsByIds"
                                      << "in as ids, out a(ssss) actions";
        QTest::newRow("SearchActions") << "method SearchActions"
                                       << "in s text, out a(ssss) actions";
        QTest::newRow("ActionsChanged") << "signal ActionsChanged"
                                        << "";
    }

    void describesItselfInDBusTerms()
    {
        QFETCH(QString, member);
        QFETCH(QString, arguments);

        Session session;
        Published published(&session.runner);
        const QMap<QString, QStringList> described = introspectedMembers();
        QVERIFY2(described.contains(member), qPrintable(described.keys().join(", ")));
        QCOMPARE(described.value(member).join(", "), arguments);
    }

    void describesEveryMemberItHas()
    {
        Session session;
        Published published(&session.runner);
        QStringList exported;
        const QMetaObject &meta = ActionsBusService::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() == QMetaMethod::Signal)
                exported << QStringLiteral("signal ") + QString::fromLatin1(method.name());
            else if (method.methodType() == QMetaMethod::Slot &&
                     method.access() == QMetaMethod::Public)
                exported << QStringLiteral("method ") + QString::fromLatin1(method.name());
        }
        exported.sort();
        QCOMPARE(introspectedMembers().keys(), exported);
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
        QCOMPARE(ran.wait()->text, QStringLiteral("Fan is off."));
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
        session.model.disconnectFromHost();
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

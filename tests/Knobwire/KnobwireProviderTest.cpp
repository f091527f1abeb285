#include "KnobwireTestSupport.h"

#include "Knobwire/KnobwireProvider.h"
#include "Knobwire/Limits.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Knobwire;
using namespace KnobwireTest;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString providerApp = u"org.example.Mixer"_s;

// Short waits so that the suite stays fast; the announce interval stays long enough to tell
// an answered query from a rate-limited one.
const KnobwireProvider::Timings fastTimings{
    .helloLimit = 200ms, .listenerRetry = 100ms, .announceInterval = 300ms};

// Announces pass through the bus daemon, so the gap between two arrivals can fall short of the
// gap between their posts by the difference of their delivery delays; under load that reaches
// a few milliseconds. A query answered at once would arrive far sooner than the interval less
// this.
constexpr qint64 deliveryJitterMs = 100;

QList<Control> mixerControls()
{
    return {
        Control(u"vol"_s, u"Volume"_s, Control::Kind::level, 0.5, u"half"_s, true),
        Control(u"ro"_s, u"Fixed"_s, Control::Kind::level, 0.2, {}, {}, {}, {}, true),
        Control(u"st"_s, u"Preset"_s, Control::Kind::steps),
        Control(u"tg"_s, u"Mute"_s, Control::Kind::toggle, {}, {}, false),
        Control(u"rotg"_s, u"Locked"_s, Control::Kind::toggle, {}, {}, false, {}, {}, true),
        Control(u"peak"_s, u"Peak"_s, Control::Kind::meter, {}, {}, {}, {}, 2),
        Control(u"dial"_s, u"Dial"_s, Control::Kind(u"dial"_s)),
    };
}

// The most that sanitising lets a list hold, in characters of four bytes each: its line is
// far longer than a consumer reads.
QList<Control> widestControls()
{
    const QString wide = u"\U0001F39A"_s;
    QList<Control> controls;
    for (qsizetype index = 0; index < Limits::maxControls; ++index) {
        const QString id = QString::number(index);
        controls.append(Control(id + wide.repeated(Limits::maxName - id.size()),
                                wide.repeated(Limits::maxName), Control::Kind::button, {},
                                wide.repeated(Limits::maxText), {},
                                wide.repeated(Limits::maxName)));
    }
    return controls;
}

Hello consumerHello(std::optional<QString> key)
{
    return Hello{.app = u"org.example.Deck"_s,
                 .name = u"Deck"_s,
                 .version = u"1.0"_s,
                 .protocolVersion = 3,
                 .key = std::move(key)};
}

Hello withoutKey(Hello hello)
{
    hello.key.reset();
    return hello;
}

// The lines of one byte stream, split at line feeds.
QList<QByteArray> lines(const QByteArray &bytes)
{
    QList<QByteArray> result = bytes.split('\n');
    if (!result.isEmpty() && result.last().isEmpty()) {
        result.removeLast();
    }
    return result;
}

// A raw JSON hello line of exactly `size` bytes (without its line feed), padded with a
// member the protocol does not know.
QByteArray helloLineOfSize(const QString &key, qsizetype size)
{
    const QByteArray head = R"({"app":"org.example.Deck","key":")" + key.toUtf8() + R"(","pad":")";
    const QByteArray tail = R"(","type":"hello"})";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

} // namespace

// One provider on its own bus connection, and what the test sees of its notifications.
class ProviderRig {
public:
    explicit ProviderRig(QDBusConnection providerBus, QDBusConnection testBus,
                         KnobwireProvider::Timings timings = fastTimings,
                         KnobwireProvider::Listen listen = {})
        : discovery(freshPrefix(), NotificationCenter(providerBus)), testCenter(testBus),
          announces(testCenter, discovery.announceName()),
          goodbyes(testCenter, discovery.goodbyeName()),
          provider(std::make_unique<KnobwireProvider>(providerApp, u"Mixer"_s, u"2.1"_s,
                                                      mixerControls(), discovery, timings,
                                                      std::move(listen)))
    {
        provider->onTurn = [this](const KnobwireProvider::Turn &turn) { turns.append(turn); };
        provider->onPress = [this](const KnobwireProvider::Press &press) { presses.append(press); };
        provider->onWatchedMetersChange = [this](const QSet<QString> &meters) {
            watched.append(meters);
        };
        provider->onConsumersChange = [this](const QList<Hello> &list) { consumers.append(list); };
    }

    // Starts the provider and returns the key of its first announce.
    QString startAndAnnounce()
    {
        provider->start();
        if (!QTest::qWaitFor([this] { return !announces.texts.isEmpty(); }, waitMs)) {
            return {};
        }
        return announces.announcement(announces.texts.size() - 1)->key;
    }

    // A consumer connection that says hello with `key` as soon as it is connected.
    std::unique_ptr<LinePeer> connectConsumer(std::optional<QString> key)
    {
        auto peer = std::make_unique<LinePeer>(LineConnection::connect(*provider->port()));
        peer->start({Message::hello(consumerHello(std::move(key)))});
        return peer;
    }

    // A consumer that has been answered with hello and controls.
    std::unique_ptr<LinePeer> readyConsumer(const QString &key)
    {
        auto peer = connectConsumer(key);
        // A consumer that was not answered shows in the caller's checks of what it received.
        static_cast<void>(QTest::qWaitFor(
            [&peer] { return peer->received.size() >= 2 || peer->closed; }, waitMs));
        return peer;
    }

    // Posts a marker from the provider's own connection: once it arrives, every notification
    // the provider posted before it has arrived too.
    bool flushGoodbyes()
    {
        discovery.center.post(discovery.goodbyeName(), u"marker"_s);
        return QTest::qWaitFor([&] { return goodbyes.texts.removeAll(u"marker"_s) > 0; }, waitMs);
    }

    Discovery discovery;
    NotificationCenter testCenter;
    NotificationLog announces;
    NotificationLog goodbyes;
    std::unique_ptr<KnobwireProvider> provider;
    QList<KnobwireProvider::Turn> turns;
    QList<KnobwireProvider::Press> presses;
    QList<QSet<QString>> watched;
    QList<QList<Hello>> consumers;
};

class KnobwireProviderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void startAnnouncesListener();
    void stopSaysGoodbyeAndStartMakesNewKey();
    void queriesAreAnsweredAtMostOncePerInterval();
    void listenerFailureIsRetried();
    void droppedProviderSaysGoodbyeOnce();

    void refusesConsumerWithoutValidHello_data();
    void refusesConsumerWithoutValidHello();
    void validHelloGetsHelloThenControls();
    void helloLineLimitRisesAfterHello();
    void seventeenthPendingSessionIsRefused();
    void sixtyFifthSessionIsRefused();
    void stopClosesSessionsAndReportsConsumers();

    void turns_data();
    void turns();
    void presses_data();
    void presses();
    void meterSubscriptionsFormUnion();
    void updatesSendChangesAndEchoes();
    void setControlsResendsAndTrimsSubscriptions();
    void controlsThatDoNotFitOneLineAreLeftOut();
    void meterLevelsReachSubscribersOnly();
    void renameSendsOnlyRealChanges();

private:
    QDBusConnection m_providerBus{QString()};
    QDBusConnection m_testBus{QString()};
};

void KnobwireProviderTest::initTestCase()
{
    m_providerBus = privateBus(u"provider"_s);
    m_testBus = privateBus(u"tester"_s);
    QVERIFY2(m_providerBus.isConnected(), "needs a D-Bus session bus");
    QVERIFY(m_testBus.isConnected());
}

void KnobwireProviderTest::startAnnouncesListener()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    QVERIFY(rig.provider->port());
    QVERIFY(!rig.provider->problem());
    const auto announcement = rig.announces.announcement(0);
    QVERIFY(announcement);
    QCOMPARE(announcement->app, providerApp);
    QCOMPARE(announcement->name, u"Mixer"_s);
    QCOMPARE(announcement->port, *rig.provider->port());
    QCOMPARE(announcement->protocol, 3);
    QCOMPARE(announcement->pid, FakeProvider::currentPid());
    QVERIFY(QRegularExpression(u"^[0-9a-f]{32}$"_s).match(key).hasMatch());
    QCOMPARE(rig.announces.senders.at(0), m_providerBus.baseService());

    // A second start changes nothing: same listener, same key.
    const quint16 port = *rig.provider->port();
    rig.provider->start();
    QCOMPARE(*rig.provider->port(), port);
    rig.testCenter.post(rig.discovery.queryName());
    QTRY_COMPARE_WITH_TIMEOUT(rig.announces.texts.size(), 2, waitMs);
    QCOMPARE(rig.announces.announcement(1)->key, key);
}

void KnobwireProviderTest::stopSaysGoodbyeAndStartMakesNewKey()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString firstKey = rig.startAndAnnounce();
    rig.provider->stop();
    QVERIFY(!rig.provider->port());
    QVERIFY(rig.flushGoodbyes());
    QCOMPARE(rig.goodbyes.texts, QStringList{rig.announces.texts.at(0)});

    rig.provider->stop();
    rig.provider->start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.announces.texts.size(), 2, waitMs);
    QVERIFY(rig.announces.announcement(1)->key != firstKey);
}

void KnobwireProviderTest::queriesAreAnsweredAtMostOncePerInterval()
{
    ProviderRig rig(m_providerBus, m_testBus);
    rig.startAndAnnounce();
    for (int query = 0; query < 10; ++query) {
        rig.testCenter.post(rig.discovery.queryName());
    }
    QTRY_COMPARE_WITH_TIMEOUT(rig.announces.texts.size(), 2, waitMs);
    QVERIFY(rig.announces.times.at(1) - rig.announces.times.at(0) >=
            fastTimings.announceInterval.count() - deliveryJitterMs);

    // Every query of the storm was answered by that one announce; the next query starts a
    // new window.
    rig.testCenter.post(rig.discovery.queryName());
    QTRY_COMPARE_WITH_TIMEOUT(rig.announces.texts.size(), 3, waitMs);
    QVERIFY(rig.announces.times.at(2) - rig.announces.times.at(1) >=
            fastTimings.announceInterval.count() - deliveryJitterMs);
    QVERIFY(rig.flushGoodbyes());
    QCOMPARE(rig.announces.texts.size(), 3);
}

void KnobwireProviderTest::listenerFailureIsRetried()
{
    int attempts = 0;
    // The first attempt binds an address this machine does not have, which fails without
    // any traffic; later attempts listen normally.
    const auto listen = [&attempts](QTcpServer &listener) {
        ++attempts;
        const QHostAddress address(attempts == 1 ? u"192.0.2.1"_s : u"127.0.0.1"_s);
        return listener.listen(address, 0);
    };
    ProviderRig rig(m_providerBus, m_testBus, fastTimings, listen);
    rig.provider->start();
    QVERIFY(!rig.provider->port());
    QVERIFY(rig.provider->problem());
    QVERIFY(rig.provider->problem()->startsWith(u"Couldn't listen: "_s));
    QVERIFY(rig.provider->problem()->size() > u"Couldn't listen: "_s.size());

    QTRY_COMPARE_WITH_TIMEOUT(rig.announces.texts.size(), 1, waitMs);
    QCOMPARE(attempts, 2);
    QVERIFY(!rig.provider->problem());
    QCOMPARE(rig.announces.announcement(0)->port, *rig.provider->port());
    QVERIFY(rig.flushGoodbyes());
    QVERIFY(rig.goodbyes.texts.isEmpty());
}

void KnobwireProviderTest::droppedProviderSaysGoodbyeOnce()
{
    ProviderRig rig(m_providerBus, m_testBus);
    rig.startAndAnnounce();
    rig.provider.reset();
    QVERIFY(rig.flushGoodbyes());
    QCOMPARE(rig.goodbyes.texts, QStringList{rig.announces.texts.at(0)});

    // A provider whose listener failed owes no goodbye.
    const auto neverListens = [](QTcpServer &listener) {
        return listener.listen(QHostAddress(u"192.0.2.1"_s), 0);
    };
    ProviderRig failed(m_providerBus, m_testBus, fastTimings, neverListens);
    failed.provider->start();
    QVERIFY(failed.provider->problem());
    failed.provider.reset();
    QVERIFY(failed.flushGoodbyes());
    QVERIFY(failed.goodbyes.texts.isEmpty());
}

void KnobwireProviderTest::refusesConsumerWithoutValidHello_data()
{
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("error");
    const QString helloFirst = u"Send hello first"_s;
    const QString keyNeeded = u"hello needs the \"key\" from the announcement"_s;
    QTest::newRow("silence") << u"silence"_s << helloFirst;
    QTest::newRow("press first") << u"press"_s << helloFirst;
    QTest::newRow("unknown type first") << u"unknown"_s << helloFirst;
    QTest::newRow("other key") << u"other key"_s << keyNeeded;
    QTest::newRow("shorter key") << u"shorter key"_s << keyNeeded;
    QTest::newRow("key with extra byte") << u"longer key"_s << keyNeeded;
    QTest::newRow("no key") << u"no key"_s << keyNeeded;
}

void KnobwireProviderTest::refusesConsumerWithoutValidHello()
{
    QFETCH(QString, opening);
    QFETCH(QString, error);
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    const QMap<QString, QList<Message>> openings{
        {u"silence"_s, {}},
        {u"press"_s, {Message::press(u"tg"_s, true)}},
        {u"unknown"_s, {Message::unknown(u"greeting"_s)}},
        {u"other key"_s, {Message::hello(consumerHello(makeKey()))}},
        {u"shorter key"_s, {Message::hello(consumerHello(key.left(16)))}},
        {u"longer key"_s, {Message::hello(consumerHello(key + u"0"_s))}},
        {u"no key"_s, {Message::hello(consumerHello(std::nullopt))}},
    };
    LinePeer consumer(LineConnection::connect(*rig.provider->port()));
    consumer.start(openings.value(opening));
    QTRY_VERIFY_WITH_TIMEOUT(consumer.closed, waitMs);
    QCOMPARE(consumer.errors(), QStringList{error});
    QCOMPARE(consumer.received.size(), 1);
    QVERIFY(rig.consumers.isEmpty());
    QVERIFY(rig.provider->consumers().isEmpty());
}

void KnobwireProviderTest::validHelloGetsHelloThenControls()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    auto consumer = rig.readyConsumer(key);
    QCOMPARE(consumer->received.size(), 2);
    const Hello expected{.app = providerApp,
                         .name = u"Mixer"_s,
                         .version = u"2.1"_s,
                         .protocolVersion = 3,
                         .key = std::nullopt};
    QCOMPARE(consumer->received.at(0), Message::hello(expected));
    QCOMPARE(consumer->received.at(1), Message::controls(rig.provider->controls()));
    QCOMPARE(rig.consumers, QList<QList<Hello>>{{withoutKey(consumerHello(key))}});
    QCOMPARE(rig.provider->consumers(), QList<Hello>{withoutKey(consumerHello(key))});

    // A second hello gets no answer: the next line is the answer to the request after it.
    consumer->send(Message::hello(consumerHello(key)));
    consumer->send(Message::press(u"nothing"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(consumer->received.size(), 3, waitMs);
    QCOMPARE(errorText(consumer->received.at(2)), u"No control \"nothing\""_s);
    QCOMPARE(rig.consumers.size(), 1);
    QVERIFY(!consumer->closed);
}

void KnobwireProviderTest::helloLineLimitRisesAfterHello()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();

    QTcpSocket tooLong;
    tooLong.connectToHost(QHostAddress::LocalHost, *rig.provider->port());
    tooLong.write(helloLineOfSize(key, 4097) + "\n");
    QTRY_COMPARE_WITH_TIMEOUT(tooLong.state(), QAbstractSocket::UnconnectedState, waitMs);
    QCOMPARE(lines(tooLong.readAll()),
             QList<QByteArray>{R"({"message":"Send hello first","type":"error"})"});

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, *rig.provider->port());
    socket.write(helloLineOfSize(key, 4096) + "\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.provider->consumers().size(), 1, waitMs);
    // After the hello a line far beyond the hello limit is read: its request is answered.
    const QByteArray longPress =
        R"({"down":true,"id":"nothing","pad":")" + QByteArray(100000, 'x') + R"(","type":"press"})";
    socket.write(longPress + "\n");
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll(), lines(received).size() == 3), waitMs);
    QCOMPARE(lines(received).at(2), R"({"message":"No control \"nothing\"","type":"error"})");
}

void KnobwireProviderTest::seventeenthPendingSessionIsRefused()
{
    KnobwireProvider::Timings patient = fastTimings;
    patient.helloLimit = 60s;
    ProviderRig rig(m_providerBus, m_testBus, patient);
    rig.startAndAnnounce();
    std::vector<std::unique_ptr<QTcpSocket>> pending;
    for (int index = 0; index < 16; ++index) {
        pending.push_back(std::make_unique<QTcpSocket>());
        pending.back()->connectToHost(QHostAddress::LocalHost, *rig.provider->port());
        QVERIFY(pending.back()->waitForConnected(waitMs));
    }
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, *rig.provider->port());
    QTRY_COMPARE_WITH_TIMEOUT(refused.state(), QAbstractSocket::UnconnectedState, waitMs);
    QVERIFY(refused.readAll().isEmpty());
    for (const auto &socket : pending) {
        QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);
    }
}

void KnobwireProviderTest::sixtyFifthSessionIsRefused()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    std::vector<std::unique_ptr<LinePeer>> consumers;
    for (int index = 0; index < 64; ++index) {
        consumers.push_back(rig.connectConsumer(key));
        // One at a time, so that the pending limit never applies.
        QTRY_COMPARE_WITH_TIMEOUT(consumers.back()->received.size(), 2, waitMs);
    }
    QCOMPARE(rig.provider->consumers().size(), 64);
    LinePeer refused(LineConnection::connect(*rig.provider->port()));
    refused.start({Message::hello(consumerHello(key))});
    QTRY_VERIFY_WITH_TIMEOUT(refused.closed, waitMs);
    QVERIFY(refused.received.isEmpty());
    QCOMPARE(rig.provider->consumers().size(), 64);
}

void KnobwireProviderTest::stopClosesSessionsAndReportsConsumers()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    auto first = rig.readyConsumer(key);
    auto second = rig.readyConsumer(key);
    second->send(Message::meterSubscribe(u"peak"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(rig.provider->watchedMeters(), QSet<QString>{u"peak"_s}, waitMs);
    rig.consumers.clear();
    rig.watched.clear();

    rig.provider->stop();
    QCOMPARE(rig.consumers.size(), 2);
    QCOMPARE(rig.consumers.at(0).size(), 1);
    QVERIFY(rig.consumers.at(1).isEmpty());
    QCOMPARE(rig.watched, QList<QSet<QString>>{QSet<QString>{}});
    QVERIFY(rig.provider->consumers().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(first->closed && second->closed, waitMs);
    QVERIFY(first->errors().isEmpty());
    QVERIFY(rig.flushGoodbyes());
    QCOMPARE(rig.goodbyes.texts.size(), 1);

    // Dropping the stopped provider owes nothing more.
    rig.provider.reset();
    QVERIFY(rig.flushGoodbyes());
    QCOMPARE(rig.goodbyes.texts.size(), 1);
}

void KnobwireProviderTest::turns_data()
{
    QTest::addColumn<Message>("request");
    QTest::addColumn<std::optional<double>>("value");
    QTest::addColumn<std::optional<int>>("steps");
    QTest::addColumn<QString>("error");
    const std::optional<double> noValue;
    const std::optional<int> noSteps;
    QTest::newRow("level above one")
        << Message::turn(u"vol"_s, 1.5, {}) << std::optional(1.0) << noSteps << QString();
    QTest::newRow("level below zero")
        << Message::turn(u"vol"_s, -0.3, {}) << std::optional(0.0) << noSteps << QString();
    QTest::newRow("level unrounded")
        << Message::turn(u"vol"_s, 0.12345, {}) << std::optional(0.12345) << noSteps << QString();
    QTest::newRow("level with value and steps")
        << Message::turn(u"vol"_s, 0.4, 2) << std::optional(0.4) << noSteps << QString();
    QTest::newRow("steps") << Message::turn(u"st"_s, {}, -3) << noValue << std::optional(-3)
                           << QString();
    QTest::newRow("read-only level")
        << Message::turn(u"ro"_s, 0.4, {}) << noValue << noSteps << QString();
    QTest::newRow("level with steps only")
        << Message::turn(u"vol"_s, {}, 2) << noValue << noSteps << QString();
    QTest::newRow("zero steps") << Message::turn(u"st"_s, {}, 0) << noValue << noSteps << QString();
    QTest::newRow("toggle") << Message::turn(u"tg"_s, 0.4, 1) << noValue << noSteps << QString();
    QTest::newRow("no such control")
        << Message::turn(u"gain"_s, 0.4, {}) << noValue << noSteps << u"No control \"gain\""_s;
}

void KnobwireProviderTest::turns()
{
    QFETCH(Message, request);
    QFETCH(std::optional<double>, value);
    QFETCH(std::optional<int>, steps);
    QFETCH(QString, error);
    ProviderRig rig(m_providerBus, m_testBus);
    auto consumer = rig.readyConsumer(rig.startAndAnnounce());
    consumer->send(request);
    // The answer to a request for a missing control marks where the first request ended.
    consumer->send(Message::press(u"marker"_s, true));
    QTRY_VERIFY_WITH_TIMEOUT(consumer->errors().contains(u"No control \"marker\""_s), waitMs);
    QCOMPARE(consumer->errors().size(), error.isEmpty() ? 1 : 2);
    if (!error.isEmpty()) {
        QCOMPARE(consumer->errors().first(), error);
    }
    QVERIFY(!consumer->closed);
    if (!value && !steps) {
        QVERIFY(rig.turns.isEmpty());
        return;
    }
    QCOMPARE(rig.turns.size(), 1);
    QCOMPARE(rig.turns.at(0).value, value);
    QCOMPARE(rig.turns.at(0).steps, steps);
    QCOMPARE(rig.turns.at(0).from, withoutKey(consumerHello(std::nullopt)));
}

void KnobwireProviderTest::presses_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("reaches");
    QTest::addColumn<QString>("error");
    QTest::newRow("toggle") << u"tg"_s << true << QString();
    QTest::newRow("read-only toggle") << u"rotg"_s << true << QString();
    QTest::newRow("level") << u"vol"_s << true << QString();
    QTest::newRow("meter") << u"peak"_s << false << QString();
    QTest::newRow("kind not defined") << u"dial"_s << false << QString();
    QTest::newRow("no such control") << u"gain"_s << false << u"No control \"gain\""_s;
}

void KnobwireProviderTest::presses()
{
    QFETCH(QString, id);
    QFETCH(bool, reaches);
    QFETCH(QString, error);
    ProviderRig rig(m_providerBus, m_testBus);
    auto consumer = rig.readyConsumer(rig.startAndAnnounce());
    consumer->send(Message::press(id, false));
    consumer->send(Message::turn(u"marker"_s, 0.5, {}));
    QTRY_VERIFY_WITH_TIMEOUT(consumer->errors().contains(u"No control \"marker\""_s), waitMs);
    QCOMPARE(consumer->errors().size(), error.isEmpty() ? 1 : 2);
    QCOMPARE(rig.presses.size(), reaches ? 1 : 0);
    if (reaches) {
        QCOMPARE(rig.presses.at(0).id, id);
        QCOMPARE(rig.presses.at(0).down, false);
        QCOMPARE(rig.presses.at(0).from.app, u"org.example.Deck"_s);
    }
}

void KnobwireProviderTest::meterSubscriptionsFormUnion()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    auto first = rig.readyConsumer(key);
    auto second = rig.readyConsumer(key);

    first->send(Message::meterSubscribe(u"tg"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(first->errors(), QStringList{u"No meter \"tg\""_s}, waitMs);

    first->send(Message::meterSubscribe(u"peak"_s, true));
    first->send(Message::meterSubscribe(u"peak"_s, true));
    second->send(Message::meterSubscribe(u"peak"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(rig.watched, QList<QSet<QString>>{{u"peak"_s}}, waitMs);

    // One unsubscription undoes the two subscriptions of the first consumer; the second
    // consumer still watches.
    first->send(Message::meterSubscribe(u"peak"_s, false));
    first->send(Message::meterSubscribe(u"none"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(first->errors().size(), 2, waitMs);
    QCOMPARE(rig.provider->watchedMeters(), QSet<QString>{u"peak"_s});
    QCOMPARE(rig.watched.size(), 1);

    // The last watcher leaving reports the smaller set.
    second->connection->cancel();
    QTRY_COMPARE_WITH_TIMEOUT(rig.watched.size(), 2, waitMs);
    QVERIFY(rig.watched.last().isEmpty());
}

void KnobwireProviderTest::updatesSendChangesAndEchoes()
{
    ProviderRig rig(m_providerBus, m_testBus);
    auto consumer = rig.readyConsumer(rig.startAndAnnounce());
    const auto nextUpdate = [&consumer](qsizetype index) -> std::optional<Update> {
        if (!QTest::qWaitFor([&] { return consumer->received.size() > index; }, waitMs)) {
            return std::nullopt;
        }
        const auto *update = consumer->received.at(index).as<Update>();
        return update ? std::optional(*update) : std::nullopt;
    };

    // The same value again says nothing: the next line is the rename after it.
    rig.provider->update(u"vol"_s, 0.5);
    rig.provider->update(u"missing"_s, 0.5);
    rig.provider->rename(u"tg"_s, u"Silence"_s);
    QCOMPARE(nextUpdate(2), (Update{.id = u"tg"_s, .name = u"Silence"_s}));

    rig.provider->update(u"vol"_s, 0.7);
    QCOMPARE(nextUpdate(3), (Update{.id = u"vol"_s, .value = 0.7}));

    // After a consumer turned it, the next change is sent in full even when nothing changed.
    consumer->send(Message::turn(u"vol"_s, 0.9, {}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.turns.size(), 1, waitMs);
    rig.provider->update(u"vol"_s, 0.7);
    Update echo{.id = u"vol"_s, .value = 0.7, .on = true};
    echo.text.emplace(u"half"_s);
    QCOMPARE(nextUpdate(4), echo);

    // The echo was used up.
    rig.provider->update(u"vol"_s, 0.7);
    rig.provider->clearText(u"vol"_s);
    Update cleared{.id = u"vol"_s};
    cleared.text.emplace(std::nullopt);
    QCOMPARE(nextUpdate(5), cleared);

    // A control without text has nothing to clear.
    rig.provider->clearText(u"vol"_s);
    rig.provider->update(u"tg"_s, {}, u"muted"_s);
    Update texted{.id = u"tg"_s};
    texted.text.emplace(u"muted"_s);
    QCOMPARE(nextUpdate(6), texted);

    // A press also makes an echo due.
    consumer->send(Message::press(u"tg"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(rig.presses.size(), 1, waitMs);
    rig.provider->update(u"tg"_s, {}, {}, false);
    Update pressed{.id = u"tg"_s, .on = false};
    pressed.text.emplace(u"muted"_s);
    QCOMPARE(nextUpdate(7), pressed);
    QCOMPARE(rig.provider->controls().at(3).text, u"muted"_s);
}

void KnobwireProviderTest::setControlsResendsAndTrimsSubscriptions()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    auto first = rig.readyConsumer(key);
    auto second = rig.readyConsumer(key);
    first->send(Message::meterSubscribe(u"peak"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(rig.watched.size(), 1, waitMs);

    rig.provider->setControls(mixerControls());
    QTRY_COMPARE_WITH_TIMEOUT(first->received.size(), 3, waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second->received.size(), 3, waitMs);
    QCOMPARE(first->received.at(2), Message::controls(rig.provider->controls()));
    QCOMPARE(rig.watched.size(), 1);

    QList<Control> withoutMeter = mixerControls();
    withoutMeter.removeIf([](const Control &control) { return control.id == u"peak"_s; });
    withoutMeter.append(Control(u"\u0007"_s, u"dropped"_s, Control::Kind::button));
    rig.provider->setControls(withoutMeter);
    QCOMPARE(rig.provider->controls().size(), withoutMeter.size() - 1);
    QCOMPARE(rig.provider->watchedMeters(), QSet<QString>{});
    QCOMPARE(rig.watched.last(), QSet<QString>{});
    QTRY_COMPARE_WITH_TIMEOUT(first->received.size(), 4, waitMs);
    QCOMPARE(first->received.at(3), Message::controls(rig.provider->controls()));
}

void KnobwireProviderTest::controlsThatDoNotFitOneLineAreLeftOut()
{
    ProviderRig rig(m_providerBus, m_testBus);
    rig.provider->setControls(widestControls());
    QCOMPARE(rig.provider->controls().size(), Limits::maxControls);
    auto consumer = rig.readyConsumer(rig.startAndAnnounce());

    // The consumer reads the list instead of hanging up on a line that is too long for it.
    QCOMPARE(consumer->received.size(), 2);
    QVERIFY(!consumer->closed);
    const auto *list = consumer->received.at(1).as<Message::Controls>();
    QVERIFY(list);
    const qsizetype sent = list->controls.size();
    QVERIFY(sent > 0);
    QVERIFY(sent < Limits::maxControls);
    QCOMPARE(list->controls, rig.provider->controls().first(sent));

    rig.provider->setControls(widestControls());
    QTRY_COMPARE_WITH_TIMEOUT(consumer->received.size(), 3, waitMs);
    QCOMPARE(consumer->received.at(2), consumer->received.at(1));
    QVERIFY(!consumer->closed);
}

void KnobwireProviderTest::meterLevelsReachSubscribersOnly()
{
    ProviderRig rig(m_providerBus, m_testBus);
    const QString key = rig.startAndAnnounce();
    auto watcher = rig.readyConsumer(key);
    auto other = rig.readyConsumer(key);

    rig.provider->meter(u"peak"_s, {1.0});
    watcher->send(Message::meterSubscribe(u"peak"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(rig.watched.size(), 1, waitMs);
    rig.provider->meter(u"peak"_s, {});
    rig.provider->meter(u"peak"_s, {0.25, -0.25, 5});
    QTRY_COMPARE_WITH_TIMEOUT(watcher->received.size(), 3, waitMs);
    QCOMPARE(watcher->received.at(2), Message::meter(u"peak"_s, {0.3, -0.3}));

    // The other consumer got nothing: its next line is the answer to its own request.
    other->send(Message::press(u"marker"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(other->received.size(), 3, waitMs);
    QCOMPARE(errorText(other->received.at(2)), u"No control \"marker\""_s);
}

void KnobwireProviderTest::renameSendsOnlyRealChanges()
{
    ProviderRig rig(m_providerBus, m_testBus);
    auto consumer = rig.readyConsumer(rig.startAndAnnounce());
    rig.provider->rename(u"vol"_s, u"\u0001\u200e"_s);
    rig.provider->rename(u"vol"_s, u"Volume"_s);
    rig.provider->rename(u"missing"_s, u"Other"_s);
    rig.provider->rename(u"vol"_s, u"Main\tvolume"_s);
    QTRY_COMPARE_WITH_TIMEOUT(consumer->received.size(), 3, waitMs);
    QCOMPARE(consumer->received.at(2),
             Message::update(Update{.id = u"vol"_s, .name = u"Mainvolume"_s}));
    QCOMPARE(rig.provider->controls().at(0).name, u"Mainvolume"_s);
}

QTEST_GUILESS_MAIN(KnobwireProviderTest)
#include "KnobwireProviderTest.moc"

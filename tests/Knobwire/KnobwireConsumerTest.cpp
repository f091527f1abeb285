#include "KnobwireTestSupport.h"

#include "Knobwire/KnobwireConsumer.h"
#include "Knobwire/KnobwireProvider.h"

#include <QTest>

#include <limits>
#include <memory>

#include <unistd.h>

using namespace Knobwire;
using namespace KnobwireTest;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString consumerApp = u"org.example.Deck"_s;
const QString mixerApp = u"org.example.Mixer"_s;

// The controls limit is far beyond any test: a link the test plays by hand waits for its
// scripted answer however loaded the machine, and the barrier's links stay pending. Only the tests
// of the limit itself shorten it, to shortControlsLimit.
const KnobwireConsumer::Timings fastTimings{
    .controlsLimit = 60s, .firstRequery = 50ms, .longestRequery = 400ms};
constexpr std::chrono::milliseconds shortControlsLimit = 300ms;

QList<Control> mixerControls()
{
    return {
        Control(u"vol"_s, u"Volume"_s, Control::Kind::level, 0.5, u"half"_s),
        Control(u"ro"_s, u"Fixed"_s, Control::Kind::level, 0.2, {}, {}, {}, {}, true),
        Control(u"st"_s, u"Preset"_s, Control::Kind::steps),
        Control(u"rost"_s, u"Locked preset"_s, Control::Kind::steps, {}, {}, {}, {}, {}, true),
        Control(u"tg"_s, u"Mute"_s, Control::Kind::toggle, {}, {}, false),
        Control(u"robt"_s, u"Locked"_s, Control::Kind::button, {}, {}, {}, {}, {}, true),
        Control(u"peak"_s, u"Peak"_s, Control::Kind::meter, {}, {}, {}, {}, 2),
        Control(u"mono"_s, u"Mono"_s, Control::Kind::meter),
        Control(u"dial"_s, u"Dial"_s, Control::Kind(u"dial"_s)),
    };
}

// What the consumer keeps of mixerControls(): the kinds it knows, sanitised.
QList<Control> keptControls()
{
    QList<Control> kept = mixerControls();
    kept.removeLast();
    kept[6].channels = 2;
    kept[7].channels = 1;
    return kept;
}

Hello providerHello(const QString &app, const QString &name = u"Mixer"_s)
{
    return Hello{
        .app = app, .name = name, .version = u"2.1"_s, .protocolVersion = 3, .key = std::nullopt};
}

// Plays a provider's part on one accepted connection: hello, then the controls.
void answer(LinePeer &peer, const QString &app, const QList<Control> &controls = mixerControls())
{
    peer.send(Message::hello(providerHello(app)));
    peer.send(Message::controls(controls));
}

KnobwireConsumer::Provider storedEntry(const QString &app, const QString &name = u"Stored"_s)
{
    return KnobwireConsumer::Provider{
        .app = app, .name = name, .version = std::nullopt, .controls = {}, .isConnected = false};
}

// A port on which nothing listens any more.
quint16 deadPort()
{
    QTcpServer server;
    server.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return server.serverPort();
}

} // namespace

// A consumer on its own bus connection, the test's own connection to forge notifications, and
// what the consumer reports.
class ConsumerRig {
public:
    ConsumerRig(QDBusConnection consumerBus, QDBusConnection testBus,
                KnobwireConsumer::Timings timings = fastTimings)
        : discovery(freshPrefix(), NotificationCenter(consumerBus)), testCenter(testBus),
          queries(testCenter, discovery.queryName()),
          consumer(consumerApp, u"Deck"_s, u"1.0"_s, discovery, timings)
    {
        consumer.onChange = [this](const KnobwireConsumer::Provider &entry) {
            changes.append(entry);
        };
        consumer.onError = [this](const QString &app, const QString &message) {
            errors.append({app, message});
        };
        consumer.onMeter = [this](const QString &app, const QString &id,
                                  const QList<double> &levels) {
            meters.append({app, id, levels});
        };
    }

    // Starts the consumer; once this returns, its observers hear what the test forges.
    void start()
    {
        consumer.start();
        settle(discovery.center.bus());
    }

    void forge(const Announcement &announcement)
    {
        testCenter.post(discovery.announceName(), announcement.json());
    }

    void forgeGoodbye(const Announcement &announcement)
    {
        testCenter.post(discovery.goodbyeName(), announcement.json());
    }

    // Announces a fake provider of `app` and waits until the consumer's link to it is open but
    // has said nothing yet: the test plays that provider.
    bool announce(FakeProvider &fake, const QString &app = mixerApp)
    {
        forge(fake.announcement(app));
        return QTest::qWaitFor([&] { return !fake.peers.empty() && fake.last().ready; }, waitMs);
    }

    // Starts the consumer and announces a fake provider of `app` as announce() does.
    bool startAnnounced(FakeProvider &fake, const QString &app = mixerApp)
    {
        start();
        return announce(fake, app);
    }

    // Starts the consumer and links it to a fake provider of `app` that answers at once.
    bool startLinked(FakeProvider &fake, const QString &app = mixerApp)
    {
        start();
        return link(fake, fake.announcement(app));
    }

    // Announces `announcement` and plays the provider until the entry is connected.
    bool link(FakeProvider &fake, const Announcement &announcement)
    {
        const size_t before = fake.peers.size();
        forge(announcement);
        if (!QTest::qWaitFor([&] { return fake.peers.size() > before && fake.last().ready; },
                             waitMs)) {
            return false;
        }
        answer(fake.last(), announcement.app);
        return QTest::qWaitFor(
            [&] {
                const auto entry = consumer.provider(announcement.app);
                return entry && entry->isConnected;
            },
            waitMs);
    }

    // Announces a second application and waits until the consumer connects to it. Announcements
    // are handled in order, so every announcement forged before has been handled by then.
    bool barrier()
    {
        auto marker = std::make_unique<FakeProvider>();
        forge(marker->announcement(u"org.example.Marker%1"_s.arg(++m_markers)));
        const bool arrived = QTest::qWaitFor([&] { return !marker->peers.empty(); }, waitMs);
        markers.push_back(std::move(marker));
        return arrived;
    }

    struct MeterCall {
        QString app;
        QString id;
        QList<double> levels;
    };

    Discovery discovery;
    NotificationCenter testCenter;
    NotificationLog queries;
    KnobwireConsumer consumer;
    QList<KnobwireConsumer::Provider> changes;
    QList<std::pair<QString, QString>> errors;
    QList<MeterCall> meters;
    std::vector<std::unique_ptr<FakeProvider>> markers;

private:
    int m_markers = 0;
};

class KnobwireConsumerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void worksWithRealProvider();
    void wrongKeyIsRefused();
    void providerStopIsRemembered();

    void announcementChecks_data();
    void announcementChecks();
    void samePortAnnouncementDoesNothing();
    void helloMustNameAnnouncedApp();
    void controlsBeforeHelloFail();
    void secondHelloIsIgnored();
    void noControlsInTimeFailsAndRequeries();
    void lostLinksBackOff();
    void goodbyeKeepsLinkEndQuiet();

    void restartWhileReadyUsesCandidate();
    void oldLinkClosingFirstPromotesCandidate();
    void candidateWithoutControlsIsDropped();
    void restartBeforeReadyReplacesLink();
    void listIsCappedAtSixtyFour();
    void fullListRefusesReadyNewcomer();

    void requests_data();
    void requests();
    void wantedMetersAreAskedOncePerLink();
    void meterLevelsFollowChannels();
    void stopRemembersAndStartRelinks();
    void restoreClipsBeforeDuplicateCheck();
    void restoreKeepsFirstSixtyFour();
    void forgetSparesLinkedApplication();

private:
    QDBusConnection m_consumerBus{QString()};
    QDBusConnection m_providerBus{QString()};
    QDBusConnection m_testBus{QString()};
};

void KnobwireConsumerTest::initTestCase()
{
    m_consumerBus = privateBus(u"consumer"_s);
    m_providerBus = privateBus(u"provider"_s);
    m_testBus = privateBus(u"tester"_s);
    QVERIFY2(m_consumerBus.isConnected(), "needs a D-Bus session bus");
    QVERIFY(m_providerBus.isConnected() && m_testBus.isConnected());
}

void KnobwireConsumerTest::worksWithRealProvider()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    const Discovery providerSide(rig.discovery.prefix, NotificationCenter(m_providerBus));
    KnobwireProvider provider(mixerApp, u"Mixer"_s, u"2.1"_s, mixerControls(), providerSide);
    QList<KnobwireProvider::Turn> turns;
    QList<KnobwireProvider::Press> presses;
    provider.onTurn = [&](const KnobwireProvider::Turn &turn) {
        turns.append(turn);
        // The owner applies what it was asked; the echo tells the consumer the outcome.
        if (turn.value) {
            provider.update(turn.id, turn.value);
        }
    };
    provider.onPress = [&](const KnobwireProvider::Press &press) { presses.append(press); };
    provider.start();
    rig.start();

    QTRY_VERIFY_WITH_TIMEOUT(!rig.changes.isEmpty(), waitMs);
    const KnobwireConsumer::Provider connected{.app = mixerApp,
                                               .name = u"Mixer"_s,
                                               .version = u"2.1"_s,
                                               .controls = keptControls(),
                                               .isConnected = true};
    QCOMPARE(rig.changes.last(), connected);
    QCOMPARE(rig.consumer.providers(), QList{connected});
    QCOMPARE(provider.consumers().size(), 1);
    QCOMPARE(provider.consumers().at(0).app, consumerApp);

    QVERIFY(rig.consumer.turn(mixerApp, u"vol"_s, 0.12345));
    QTRY_COMPARE_WITH_TIMEOUT(rig.consumer.provider(mixerApp)->control(u"vol"_s)->value, 0.123,
                              waitMs);
    QCOMPARE(turns.size(), 1);
    QCOMPARE(turns.at(0).from.app, consumerApp);
    QVERIFY(!turns.at(0).from.key);

    QVERIFY(rig.consumer.turn(mixerApp, u"st"_s, 3));
    QVERIFY(rig.consumer.tap(mixerApp, u"tg"_s));
    QTRY_COMPARE_WITH_TIMEOUT(presses.size(), 2, waitMs);
    QCOMPARE(turns.size(), 2);
    QCOMPARE(turns.at(1).steps, 3);
    QCOMPARE(presses.at(0).down, true);
    QCOMPARE(presses.at(1).down, false);

    provider.update(u"tg"_s, {}, u"muted"_s, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.changes.last().control(u"tg"_s)->on, true, waitMs);
    QCOMPARE(rig.changes.last().control(u"tg"_s)->text, u"muted"_s);

    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    QTRY_COMPARE_WITH_TIMEOUT(provider.watchedMeters(), QSet<QString>{u"peak"_s}, waitMs);
    provider.meter(u"peak"_s, {-3.04, -6, 1});
    QTRY_COMPARE_WITH_TIMEOUT(rig.meters.size(), 1, waitMs);
    QCOMPARE(rig.meters.at(0).levels, (QList<double>{-3.0, -6.0}));
}

void KnobwireConsumerTest::wrongKeyIsRefused()
{
    // A requery far beyond the test, so that only the one after the refusal is planned while
    // the test looks, however slow the machine.
    KnobwireConsumer::Timings timings = fastTimings;
    timings.firstRequery = 60s;
    timings.longestRequery = 600s;
    ConsumerRig rig(m_consumerBus, m_testBus, timings);
    // The provider announces under another prefix, so only the forged announcement arrives.
    const Discovery elsewhere(freshPrefix(), NotificationCenter(m_providerBus));
    KnobwireProvider provider(mixerApp, u"Mixer"_s, u"2.1"_s, mixerControls(), elsewhere);
    provider.start();
    rig.start();
    rig.forge(Announcement{.app = mixerApp,
                           .name = u"Mixer"_s,
                           .port = *provider.port(),
                           .protocol = 3,
                           .key = makeKey(),
                           .pid = FakeProvider::currentPid()});
    QTRY_COMPARE_WITH_TIMEOUT(rig.errors.size(), 1, waitMs);
    QCOMPARE(rig.errors.at(0),
             std::pair(mixerApp, u"hello needs the \"key\" from the announcement"_s));
    QVERIFY(rig.consumer.providers().isEmpty());
    QVERIFY(provider.consumers().isEmpty());
    // The refusal ends the link without goodbye (its close may come after the error), so the
    // consumer asks again later.
    QTRY_COMPARE_WITH_TIMEOUT(rig.consumer.requeryDelay(), 2 * timings.firstRequery, waitMs);
}

void KnobwireConsumerTest::providerStopIsRemembered()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    const Discovery providerSide(rig.discovery.prefix, NotificationCenter(m_providerBus));
    KnobwireProvider provider(mixerApp, u"Mixer"_s, u"2.1"_s, mixerControls(), providerSide);
    provider.start();
    rig.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.changes.isEmpty() && rig.changes.last().isConnected, waitMs);

    provider.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.changes.last().isConnected, waitMs);
    const KnobwireConsumer::Provider remembered = rig.changes.last();
    QCOMPARE(remembered, rig.changes.at(rig.changes.size() - 2).remembered());
    QVERIFY(!remembered.control(u"vol"_s)->value);
    QVERIFY(!remembered.control(u"vol"_s)->text);
    QCOMPARE(rig.consumer.providers(), QList{remembered});
    QCOMPARE(rig.consumer.turn(mixerApp, u"vol"_s, 0.5), false);
}

void KnobwireConsumerTest::announcementChecks_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<std::optional<qint32>>("pid");
    QTest::addColumn<bool>("linked");
    const auto ownPid = std::optional(FakeProvider::currentPid());
    QTest::newRow("sender's own pid") << mixerApp << 3 << ownPid << true;
    QTest::newRow("later protocol") << mixerApp << 4 << ownPid << true;
    QTest::newRow("earlier protocol") << mixerApp << 2 << ownPid << false;
    QTest::newRow("own application") << consumerApp << 3 << ownPid << false;
    QTest::newRow("no pid") << mixerApp << 3 << std::optional<qint32>() << false;
    QTest::newRow("another live process")
        << mixerApp << 3 << std::optional(static_cast<qint32>(::getppid())) << false;
    QTest::newRow("no such process")
        << mixerApp << 3 << std::optional(std::numeric_limits<qint32>::max()) << false;
}

void KnobwireConsumerTest::announcementChecks()
{
    QFETCH(QString, app);
    QFETCH(int, protocol);
    QFETCH(std::optional<qint32>, pid);
    QFETCH(bool, linked);
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    rig.start();
    Announcement announcement = fake.announcement(app, pid);
    announcement.protocol = protocol;
    rig.forge(announcement);
    QVERIFY(rig.barrier());
    QCOMPARE(fake.peers.size(), linked ? 1u : 0u);
}

void KnobwireConsumerTest::samePortAnnouncementDoesNothing()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    rig.start();
    rig.forge(fake.announcement(mixerApp));
    QVERIFY(rig.barrier());
    rig.forge(fake.announcement(mixerApp));
    QVERIFY(rig.barrier());
    QCOMPARE(fake.peers.size(), 1u);
    QVERIFY(!fake.last().closed);

    answer(fake.last(), mixerApp);
    QTRY_VERIFY_WITH_TIMEOUT(rig.consumer.provider(mixerApp), waitMs);
    rig.forge(fake.announcement(mixerApp));
    QVERIFY(rig.barrier());
    QCOMPARE(fake.peers.size(), 1u);
}

void KnobwireConsumerTest::helloMustNameAnnouncedApp()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startAnnounced(fake));
    QTRY_COMPARE_WITH_TIMEOUT(fake.last().received.size(), 1, waitMs);
    const Hello *hello = fake.last().received.at(0).as<Hello>();
    QVERIFY(hello);
    QCOMPARE(hello->app, consumerApp);
    QCOMPARE(hello->protocolVersion, 3);
    QVERIFY(hello->key);

    answer(fake.last(), u"org.example.Other"_s);
    QTRY_VERIFY_WITH_TIMEOUT(fake.last().closed, waitMs);
    QCOMPARE(fake.last().errors(),
             QStringList{u"Announced as org.example.Mixer, but said hello as org.example.Other"_s});
    QVERIFY(rig.consumer.providers().isEmpty());
}

void KnobwireConsumerTest::controlsBeforeHelloFail()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startAnnounced(fake));
    fake.last().send(Message::controls(mixerControls()));
    QTRY_VERIFY_WITH_TIMEOUT(fake.last().closed, waitMs);
    QCOMPARE(fake.last().errors(), QStringList{u"Send hello first"_s});
    QVERIFY(rig.consumer.providers().isEmpty());
}

void KnobwireConsumerTest::secondHelloIsIgnored()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startAnnounced(fake));
    fake.last().send(Message::hello(providerHello(mixerApp, u"First"_s)));
    fake.last().send(Message::hello(providerHello(u"org.example.Other"_s, u"Second"_s)));
    fake.last().send(Message::controls(mixerControls()));
    QTRY_VERIFY_WITH_TIMEOUT(rig.consumer.provider(mixerApp), waitMs);
    QCOMPARE(rig.consumer.provider(mixerApp)->name, u"First"_s);
    QVERIFY(!fake.last().closed);
}

void KnobwireConsumerTest::noControlsInTimeFailsAndRequeries()
{
    KnobwireConsumer::Timings timings = fastTimings;
    timings.controlsLimit = shortControlsLimit;
    ConsumerRig rig(m_consumerBus, m_testBus, timings);
    FakeProvider fake;
    QVERIFY(rig.startAnnounced(fake));
    fake.last().send(Message::hello(providerHello(mixerApp)));
    QTRY_VERIFY_WITH_TIMEOUT(fake.last().closed, waitMs);
    QCOMPARE(fake.last().errors(), QStringList{u"No controls"_s});
    QCOMPARE(rig.consumer.requeryDelay(), 2 * fastTimings.firstRequery);
    QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), 2, waitMs);
    QVERIFY(rig.queries.times.at(1) - rig.queries.times.at(0) >=
            shortControlsLimit.count() + fastTimings.firstRequery.count());
}

void KnobwireConsumerTest::lostLinksBackOff()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    QCOMPARE(rig.queries.texts.size(), 1);

    // The provider dies without goodbye: its link ends, the entry is remembered, and the
    // consumer asks again after the first wait.
    fake.last().connection->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.consumer.provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(rig.changes.last(), rig.changes.at(rig.changes.size() - 2).remembered());
    QElapsedTimer sinceLoss;
    sinceLoss.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), 2, waitMs);
    QVERIFY(sinceLoss.elapsed() >= fastTimings.firstRequery.count());

    // Every further loss doubles the wait, up to the longest.
    const QList<std::chrono::milliseconds> waits{100ms, 200ms, 400ms, 400ms};
    for (qsizetype loss = 0; loss < waits.size(); ++loss) {
        QCOMPARE(rig.consumer.requeryDelay(), waits.at(loss));
        Announcement nobodyListens = fake.announcement(mixerApp);
        nobodyListens.port = deadPort();
        rig.forge(nobodyListens);
        QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), loss + 3, waitMs);
        const qint64 gap = rig.queries.times.at(loss + 2) - rig.queries.times.at(loss + 1);
        QVERIFY(gap >= waits.at(loss).count());
    }

    // A link that becomes ready starts over with the first wait.
    QVERIFY(rig.link(fake, fake.announcement(mixerApp)));
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
}

void KnobwireConsumerTest::goodbyeKeepsLinkEndQuiet()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    Announcement announced = fake.announcement(mixerApp);

    // A goodbye for another port is not this link's.
    Announcement otherPort = announced;
    otherPort.port = deadPort();
    rig.forgeGoodbye(otherPort);
    QVERIFY(rig.barrier());
    fake.last().connection->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.consumer.provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(rig.consumer.requeryDelay(), 2 * fastTimings.firstRequery);
    // While that requery is still planned, a further loss would not double the wait either.
    QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), 2, waitMs);

    QVERIFY(rig.link(fake, announced));
    rig.forgeGoodbye(announced);
    QVERIFY(rig.barrier());
    fake.last().connection->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.consumer.provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
}

void KnobwireConsumerTest::restartWhileReadyUsesCandidate()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider first;
    FakeProvider second;
    QVERIFY(rig.startLinked(first));
    LinePeer &old = first.last();
    QVERIFY(rig.announce(second));

    // The old link keeps serving until the new one has its controls.
    old.send(Message::update(Update{.id = u"vol"_s, .value = 0.9}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.consumer.provider(mixerApp)->control(u"vol"_s)->value, 0.9,
                              waitMs);
    QVERIFY(rig.consumer.turn(mixerApp, u"vol"_s, 0.3));
    QTRY_COMPARE_WITH_TIMEOUT(old.received.size(), 2, waitMs);

    answer(second.last(), mixerApp, {Control(u"only"_s, {}, Control::Kind::button)});
    QTRY_VERIFY_WITH_TIMEOUT(old.closed, waitMs);
    QVERIFY(old.errors().isEmpty());
    QCOMPARE(rig.consumer.provider(mixerApp)->controls.size(), 1);
    QVERIFY(rig.consumer.provider(mixerApp)->isConnected);
    QVERIFY(rig.consumer.press(mixerApp, u"only"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(second.last().received.size(), 2, waitMs);
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
}

void KnobwireConsumerTest::oldLinkClosingFirstPromotesCandidate()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider first;
    FakeProvider second;
    QVERIFY(rig.startLinked(first));
    QVERIFY(rig.announce(second));

    first.last().connection->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.consumer.provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
    answer(second.last(), mixerApp);
    QTRY_VERIFY_WITH_TIMEOUT(rig.consumer.provider(mixerApp)->isConnected, waitMs);
    QVERIFY(!second.last().closed);
}

void KnobwireConsumerTest::candidateWithoutControlsIsDropped()
{
    KnobwireConsumer::Timings timings = fastTimings;
    timings.controlsLimit = shortControlsLimit;
    ConsumerRig rig(m_consumerBus, m_testBus, timings);
    FakeProvider first;
    FakeProvider second;
    QVERIFY(rig.startLinked(first));
    QVERIFY(rig.announce(second));
    QTRY_VERIFY_WITH_TIMEOUT(second.last().closed, waitMs);
    QCOMPARE(second.last().errors(), QStringList{u"No controls"_s});
    QVERIFY(!first.last().closed);
    QVERIFY(rig.consumer.provider(mixerApp)->isConnected);
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
    QVERIFY(rig.consumer.press(mixerApp, u"tg"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(first.last().received.size(), 2, waitMs);
}

void KnobwireConsumerTest::restartBeforeReadyReplacesLink()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider first;
    FakeProvider second;
    rig.start();
    QVERIFY(rig.announce(first));
    rig.forge(second.announcement(mixerApp));
    QTRY_VERIFY_WITH_TIMEOUT(first.last().closed, waitMs);
    QVERIFY(first.last().errors().isEmpty());
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
    QTRY_VERIFY_WITH_TIMEOUT(!second.peers.empty() && second.last().ready, waitMs);
    answer(second.last(), mixerApp);
    QTRY_VERIFY_WITH_TIMEOUT(rig.consumer.provider(mixerApp), waitMs);
    QVERIFY(rig.consumer.provider(mixerApp)->isConnected);
}

void KnobwireConsumerTest::listIsCappedAtSixtyFour()
{
    // Links that never get controls stay pending for the whole test.
    ConsumerRig rig(m_consumerBus, m_testBus);
    QList<KnobwireConsumer::Provider> stored;
    for (int index = 0; index < 63; ++index) {
        stored.append(storedEntry(u"org.example.App%1"_s.arg(index)));
    }
    rig.consumer.restore(stored);
    FakeProvider newcomer;
    FakeProvider known;
    rig.start();
    // 63 entries and the barrier's pending link make 64: a new application is not linked,
    // a listed one is.
    QVERIFY(rig.barrier());
    rig.forge(newcomer.announcement(mixerApp));
    rig.forge(known.announcement(u"org.example.App7"_s));
    QTRY_VERIFY_WITH_TIMEOUT(known.peers.size() == 1 && known.last().ready, waitMs);
    QVERIFY(newcomer.peers.empty());
}

void KnobwireConsumerTest::fullListRefusesReadyNewcomer()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    QList<KnobwireConsumer::Provider> stored;
    for (int index = 0; index < 63; ++index) {
        stored.append(storedEntry(u"org.example.App%1"_s.arg(index)));
    }
    rig.consumer.restore(stored);
    FakeProvider fake;
    QVERIFY(rig.startAnnounced(fake));
    rig.consumer.restore({storedEntry(u"org.example.Late"_s)});
    QCOMPARE(rig.consumer.providers().size(), 64);

    answer(fake.last(), mixerApp);
    QTRY_VERIFY_WITH_TIMEOUT(fake.last().closed, waitMs);
    QVERIFY(!rig.consumer.provider(mixerApp));
    QCOMPARE(rig.consumer.requeryDelay(), 2 * fastTimings.firstRequery);
}

void KnobwireConsumerTest::requests_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("id");
    QTest::addColumn<double>("amount");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<std::optional<Message>>("message");
    const std::optional<Message> none;
    const double infinity = std::numeric_limits<double>::infinity();
    const auto level = [](double value) {
        return std::optional(Message::turn(u"vol"_s, value, std::nullopt));
    };
    QTest::newRow("negative level") << u"value"_s << u"vol"_s << -0.5 << true << level(0);
    QTest::newRow("NaN level") << u"value"_s << u"vol"_s << std::numeric_limits<double>::quiet_NaN()
                               << true << level(0);
    QTest::newRow("infinite level") << u"value"_s << u"vol"_s << infinity << true << level(0);
    QTest::newRow("minus infinite level")
        << u"value"_s << u"vol"_s << -infinity << true << level(0);
    QTest::newRow("fine level") << u"value"_s << u"vol"_s << 0.12345 << true << level(0.123);
    QTest::newRow("level rounds half up")
        << u"value"_s << u"vol"_s << 0.1235 << true << level(0.124);
    QTest::newRow("level half away from zero")
        << u"value"_s << u"vol"_s << 0.0025 << true << level(0.003);
    QTest::newRow("read-only level") << u"value"_s << u"ro"_s << 0.5 << false << none;
    QTest::newRow("value on steps") << u"value"_s << u"st"_s << 0.5 << false << none;
    QTest::newRow("missing control") << u"value"_s << u"gain"_s << 0.5 << false << none;
    QTest::newRow("steps") << u"steps"_s << u"st"_s << 2.0 << true
                           << std::optional(Message::turn(u"st"_s, std::nullopt, 2));
    QTest::newRow("too many steps") << u"steps"_s << u"st"_s << 25000.0 << true
                                    << std::optional(Message::turn(u"st"_s, std::nullopt, 10000));
    QTest::newRow("zero steps") << u"steps"_s << u"st"_s << 0.0 << false << none;
    QTest::newRow("read-only steps") << u"steps"_s << u"rost"_s << 2.0 << false << none;
    QTest::newRow("steps on level") << u"steps"_s << u"vol"_s << 2.0 << false << none;
    QTest::newRow("press read-only button")
        << u"press"_s << u"robt"_s << 0.0 << true << std::optional(Message::press(u"robt"_s, true));
    QTest::newRow("press level") << u"press"_s << u"vol"_s << 0.0 << true
                                 << std::optional(Message::press(u"vol"_s, true));
    QTest::newRow("press meter") << u"press"_s << u"peak"_s << 0.0 << false << none;
    QTest::newRow("press on unknown application")
        << u"press elsewhere"_s << u"tg"_s << 0.0 << false << none;
}

void KnobwireConsumerTest::requests()
{
    QFETCH(QString, request);
    QFETCH(QString, id);
    QFETCH(double, amount);
    QFETCH(bool, sent);
    QFETCH(std::optional<Message>, message);
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    bool result = false;
    if (request == u"value"_s) {
        result = rig.consumer.turn(mixerApp, id, amount);
    } else if (request == u"steps"_s) {
        result = rig.consumer.turn(mixerApp, id, static_cast<int>(amount));
    } else if (request == u"press"_s) {
        result = rig.consumer.press(mixerApp, id, true);
    } else {
        result = rig.consumer.press(u"org.example.Nobody"_s, id, true);
    }
    QCOMPARE(result, sent);
    // A request that always goes out marks where the one under test ended.
    QVERIFY(rig.consumer.press(mixerApp, u"tg"_s, false));
    const Message marker = Message::press(u"tg"_s, false);
    QTRY_COMPARE_WITH_TIMEOUT(fake.last().received.last(), marker, waitMs);
    QList<Message> expected{fake.last().received.first()};
    if (message) {
        expected.append(*message);
    }
    expected.append(marker);
    QCOMPARE(fake.last().received, expected);
}

void KnobwireConsumerTest::wantedMetersAreAskedOncePerLink()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    rig.consumer.subscribeMeter(mixerApp, u"gone"_s, false);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    LinePeer &peer = fake.last();
    QTRY_COMPARE_WITH_TIMEOUT(peer.received.size(), 2, waitMs);
    QCOMPARE(peer.received.at(1), Message::meterSubscribe(u"peak"_s, true));

    // Asking twice sends once; a later list asks only for what this link has not asked yet.
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    rig.consumer.subscribeMeter(mixerApp, u"mono"_s, true);
    QTRY_COMPARE_WITH_TIMEOUT(peer.received.size(), 3, waitMs);
    QCOMPARE(peer.received.at(2), Message::meterSubscribe(u"mono"_s, true));
    rig.consumer.subscribeMeter(mixerApp, u"later"_s, true);
    QList<Control> more = mixerControls();
    more.append(Control(u"later"_s, {}, Control::Kind::meter));
    peer.send(Message::controls(more));
    QTRY_COMPARE_WITH_TIMEOUT(peer.received.size(), 4, waitMs);
    QCOMPARE(peer.received.at(3), Message::meterSubscribe(u"later"_s, true));

    // A meter that leaves the list is not unsubscribed; turning one off is.
    peer.send(Message::controls(mixerControls()));
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, false);
    QTRY_COMPARE_WITH_TIMEOUT(peer.received.size(), 5, waitMs);
    QCOMPARE(peer.received.at(4), Message::meterSubscribe(u"peak"_s, false));
}

void KnobwireConsumerTest::meterLevelsFollowChannels()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    rig.consumer.subscribeMeter(mixerApp, u"mono"_s, true);
    rig.consumer.subscribeMeter(mixerApp, u"tg"_s, true);
    LinePeer &peer = fake.last();
    peer.send(Message::meter(u"vol"_s, {1}));
    peer.send(Message::meter(u"tg"_s, {1}));
    peer.send(Message::meter(u"peak"_s, {1, 2, 3}));
    peer.send(Message::meter(u"mono"_s, {4, 5}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.meters.size(), 2, waitMs);
    QCOMPARE(rig.meters.at(0).app, mixerApp);
    QCOMPARE(rig.meters.at(0).id, u"peak"_s);
    QCOMPARE(rig.meters.at(0).levels, (QList<double>{1, 2}));
    QCOMPARE(rig.meters.at(1).id, u"mono"_s);
    QCOMPARE(rig.meters.at(1).levels, QList<double>{4});
}

void KnobwireConsumerTest::stopRemembersAndStartRelinks()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    const qsizetype changesBefore = rig.changes.size();

    rig.consumer.stop();
    QCOMPARE(rig.changes.size(), changesBefore + 1);
    QVERIFY(!rig.changes.last().isConnected);
    QTRY_VERIFY_WITH_TIMEOUT(fake.last().closed, waitMs);
    QVERIFY(fake.last().errors().isEmpty());
    rig.consumer.stop();
    QCOMPARE(rig.changes.size(), changesBefore + 1);

    // Stopped, it ignores announcements.
    rig.forge(fake.announcement(mixerApp));
    settle(m_testBus);
    rig.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), 2, waitMs);
    QVERIFY(rig.link(fake, fake.announcement(mixerApp)));
    QCOMPARE(fake.peers.size(), 2u);
    QTRY_COMPARE_WITH_TIMEOUT(fake.last().received.size(), 2, waitMs);
    QCOMPARE(fake.last().received.at(1), Message::meterSubscribe(u"peak"_s, true));
}

void KnobwireConsumerTest::restoreClipsBeforeDuplicateCheck()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    KnobwireConsumer::Provider first = storedEntry(u"org.example.Mixer"_s, u""_s);
    first.version = u"2.\u200e1"_s;
    first.controls = mixerControls();
    first.isConnected = true;
    // The same application once more, differing only in a character that clipping drops.
    const KnobwireConsumer::Provider twin = storedEntry(u"org.example.\u0007Mixer"_s, u"Twin"_s);
    const KnobwireConsumer::Provider empty = storedEntry(u"\u0001\u202e"_s);
    rig.consumer.restore({first, twin, empty});

    QCOMPARE(rig.consumer.providers().size(), 1);
    const KnobwireConsumer::Provider restored = rig.consumer.providers().at(0);
    QCOMPARE(restored.app, mixerApp);
    QCOMPARE(restored.name, mixerApp);
    QCOMPARE(restored.version, u"2.1"_s);
    QVERIFY(!restored.isConnected);
    QList<Control> remembered;
    for (const Control &control : keptControls()) {
        remembered.append(control.remembered());
    }
    QCOMPARE(restored.controls, remembered);
    QVERIFY(rig.changes.isEmpty());

    // An application already listed keeps its entry.
    rig.consumer.restore({storedEntry(mixerApp, u"Other"_s)});
    QCOMPARE(rig.consumer.providers(), QList{restored});
}

void KnobwireConsumerTest::restoreKeepsFirstSixtyFour()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    QList<KnobwireConsumer::Provider> stored;
    for (int index = 0; index < 70; ++index) {
        stored.append(storedEntry(u"org.example.App%1"_s.arg(index)));
    }
    rig.consumer.restore(stored);
    QCOMPARE(rig.consumer.providers().size(), 64);
    QCOMPARE(rig.consumer.providers().last().app, u"org.example.App63"_s);
}

void KnobwireConsumerTest::forgetSparesLinkedApplication()
{
    ConsumerRig rig(m_consumerBus, m_testBus);
    FakeProvider fake;
    QVERIFY(rig.startLinked(fake));
    rig.consumer.restore({storedEntry(u"org.example.Gone"_s)});
    rig.consumer.forget(mixerApp);
    QVERIFY(rig.consumer.provider(mixerApp));
    rig.consumer.forget(u"org.example.Gone"_s);
    QVERIFY(!rig.consumer.provider(u"org.example.Gone"_s));

    // Once its link is gone it can be forgotten, with the meters wanted of it.
    rig.consumer.subscribeMeter(mixerApp, u"peak"_s, true);
    QTRY_COMPARE_WITH_TIMEOUT(fake.last().received.size(), 2, waitMs);
    rig.consumer.stop();
    rig.consumer.forget(mixerApp);
    QVERIFY(rig.consumer.providers().isEmpty());
    rig.start();
    QVERIFY(rig.link(fake, fake.announcement(mixerApp)));
    QVERIFY(rig.consumer.press(mixerApp, u"tg"_s, true));
    QTRY_COMPARE_WITH_TIMEOUT(fake.last().received.size(), 2, waitMs);
    QCOMPARE(fake.last().received.at(1), Message::press(u"tg"_s, true));
}

QTEST_GUILESS_MAIN(KnobwireConsumerTest)
#include "KnobwireConsumerTest.moc"

#include "Knobwire/Discovery.h"
#include "Knobwire/Announcement.h"
#include "Knobwire/ObserverBag.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

// Long enough for anything on a private bus, short enough to fail fast.
constexpr int waitMs = 5000;

struct Received {
    std::optional<QString> object;
    QString sender;
};

// Records what one observer receives.
struct Recorder {
    QList<Received> received;

    NotificationCenter::Handler handler()
    {
        return [this](const std::optional<QString> &object, const QString &sender) {
            received.append({object, sender});
        };
    }
};

// A round trip to the bus: once it returns, the bus has handled every earlier request of this
// connection, including the match rules of new observers.
void settle(QDBusConnection bus)
{
    bus.interface()->isServiceRegistered(u"org.freedesktop.DBus"_s);
}

} // namespace

class DiscoveryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void namesFollowPrefix();
    void announceReachesOtherConnection();
    void goodbyeAndQueryReachOtherConnection();
    void malformedAnnouncementIsIgnored();
    void otherPrefixDoesNotArrive();
    void receivesFromAnyPath();
    void removeAllStopsDelivery();
    void removeAllInsideHandlerIsSafe();
    void bagMayBeDestroyedOnAnotherThread();
    void refusesNameWithoutMember();

private:
    QDBusConnection m_provider{QString()};
    QDBusConnection m_consumer{QString()};
};

void DiscoveryTest::initTestCase()
{
    m_provider = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"provider"_s);
    m_consumer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"consumer"_s);
    QVERIFY2(m_provider.isConnected(), "needs a D-Bus session bus");
    QVERIFY(m_consumer.isConnected());
    QVERIFY(m_provider.baseService() != m_consumer.baseService());
}

void DiscoveryTest::namesFollowPrefix()
{
    const Discovery standard;
    QCOMPARE(standard.prefix, u"dev.knobwire"_s);
    QCOMPARE(standard.announceName(), u"dev.knobwire.announce"_s);
    QCOMPARE(standard.goodbyeName(), u"dev.knobwire.goodbye"_s);
    QCOMPARE(standard.queryName(), u"dev.knobwire.query"_s);
    QCOMPARE(Discovery(u"dev.other"_s).queryName(), u"dev.other.query"_s);
}

void DiscoveryTest::announceReachesOtherConnection()
{
    const Discovery provider(Discovery::defaultPrefix, NotificationCenter(m_provider));
    const Discovery consumer(Discovery::defaultPrefix, NotificationCenter(m_consumer));
    ObserverBag bag(consumer.center);
    Recorder announces;
    bag.observe(consumer.announceName(), announces.handler());
    settle(m_consumer);

    const Announcement announcement{
        u"com.example.app"_s, u"Example"_s, 5000, 3, u"0123456789abcdef0123456789abcdef"_s, 1234};
    QVERIFY(provider.center.post(provider.announceName(), announcement.json()));
    QTRY_COMPARE_WITH_TIMEOUT(announces.received.size(), 1, waitMs);
    const Received first = announces.received.first();
    QCOMPARE(first.sender, m_provider.baseService());
    QVERIFY(first.object);
    QCOMPARE(Announcement::fromJson(*first.object), announcement);
}

void DiscoveryTest::goodbyeAndQueryReachOtherConnection()
{
    const Discovery provider(Discovery::defaultPrefix, NotificationCenter(m_provider));
    const Discovery consumer(Discovery::defaultPrefix, NotificationCenter(m_consumer));
    ObserverBag providerBag(provider.center);
    ObserverBag consumerBag(consumer.center);
    Recorder queries;
    Recorder goodbyes;
    Recorder announces;
    providerBag.observe(provider.queryName(), queries.handler());
    consumerBag.observe(consumer.goodbyeName(), goodbyes.handler());
    consumerBag.observe(consumer.announceName(), announces.handler());
    settle(m_provider);
    settle(m_consumer);

    QVERIFY(consumer.center.post(consumer.queryName()));
    QTRY_COMPARE_WITH_TIMEOUT(queries.received.size(), 1, waitMs);
    QCOMPARE(queries.received.first().object, std::nullopt);
    QCOMPARE(queries.received.first().sender, m_consumer.baseService());

    QVERIFY(provider.center.post(provider.goodbyeName(), u"{\"app\":\"x\"}"_s));
    QTRY_COMPARE_WITH_TIMEOUT(goodbyes.received.size(), 1, waitMs);
    QCOMPARE(goodbyes.received.first().object, u"{\"app\":\"x\"}"_s);
    QCOMPARE(announces.received.size(), 0);
}

void DiscoveryTest::malformedAnnouncementIsIgnored()
{
    const Discovery consumer(Discovery::defaultPrefix, NotificationCenter(m_consumer));
    ObserverBag bag(consumer.center);
    QList<Announcement> accepted;
    int deliveries = 0;
    bag.observe(
        consumer.announceName(), [&](const std::optional<QString> &object, const QString &) {
            ++deliveries;
            if (object) {
                if (std::optional<Announcement> announcement = Announcement::fromJson(*object)) {
                    accepted.append(*announcement);
                }
            }
        });
    settle(m_consumer);

    QDBusMessage wrongType =
        QDBusMessage::createSignal(u"/dev/knobwire"_s, u"dev.knobwire"_s, u"announce"_s);
    wrongType << 42;
    QVERIFY(m_provider.send(wrongType));
    QDBusMessage twoTexts =
        QDBusMessage::createSignal(u"/dev/knobwire"_s, u"dev.knobwire"_s, u"announce"_s);
    twoTexts << u"{}"_s << u"{}"_s;
    QVERIFY(m_provider.send(twoTexts));
    const NotificationCenter center(m_provider);
    QVERIFY(center.post(u"dev.knobwire.announce"_s, u"{\"app\":\"a\",\"port\":80"_s));
    QVERIFY(center.post(u"dev.knobwire.announce"_s, QString(100000, u'x')));
    const Announcement valid{u"a"_s, u"A"_s, 4000, 3, u"0123456789abcdef"_s, std::nullopt};
    QVERIFY(center.post(u"dev.knobwire.announce"_s, valid.json()));

    QTRY_COMPARE_WITH_TIMEOUT(deliveries, 5, waitMs);
    QCOMPARE(accepted, QList<Announcement>{valid});
}

void DiscoveryTest::otherPrefixDoesNotArrive()
{
    const Discovery other(u"dev.knobwire.other"_s, NotificationCenter(m_provider));
    const Discovery consumer(Discovery::defaultPrefix, NotificationCenter(m_consumer));
    ObserverBag bag(consumer.center);
    Recorder announces;
    bag.observe(consumer.announceName(), announces.handler());
    Recorder others;
    bag.observe(u"dev.knobwire.other.announce"_s, others.handler());
    settle(m_consumer);

    QVERIFY(other.center.post(other.announceName(), u"{}"_s));
    QTRY_COMPARE_WITH_TIMEOUT(others.received.size(), 1, waitMs);
    QCOMPARE(announces.received.size(), 0);
}

void DiscoveryTest::receivesFromAnyPath()
{
    ObserverBag bag{NotificationCenter(m_consumer)};
    Recorder queries;
    bag.observe(u"dev.knobwire.query"_s, queries.handler());
    settle(m_consumer);
    QVERIFY(m_provider.send(
        QDBusMessage::createSignal(u"/some/other/path"_s, u"dev.knobwire"_s, u"query"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(queries.received.size(), 1, waitMs);
}

void DiscoveryTest::removeAllStopsDelivery()
{
    const NotificationCenter provider(m_provider);
    ObserverBag bag{NotificationCenter(m_consumer)};
    Recorder queries;
    Recorder later;
    bag.observe(u"dev.knobwire.query"_s, queries.handler());
    settle(m_consumer);
    QVERIFY(provider.post(u"dev.knobwire.query"_s));
    QTRY_COMPARE_WITH_TIMEOUT(queries.received.size(), 1, waitMs);

    bag.removeAll();
    bag.removeAll();
    // A second bag on the same bus shows when the next query has been delivered.
    ObserverBag witness{NotificationCenter(m_consumer)};
    witness.observe(u"dev.knobwire.query"_s, later.handler());
    settle(m_consumer);
    QVERIFY(provider.post(u"dev.knobwire.query"_s));
    QTRY_COMPARE_WITH_TIMEOUT(later.received.size(), 1, waitMs);
    QCOMPARE(queries.received.size(), 1);
}

void DiscoveryTest::removeAllInsideHandlerIsSafe()
{
    const NotificationCenter provider(m_provider);
    auto bag = std::make_unique<ObserverBag>(NotificationCenter(m_consumer));
    int deliveries = 0;
    bag->observe(u"dev.knobwire.query"_s, [&](const std::optional<QString> &, const QString &) {
        ++deliveries;
        bag->removeAll();
        bag.reset();
    });
    settle(m_consumer);
    QVERIFY(provider.post(u"dev.knobwire.query"_s));
    QVERIFY(provider.post(u"dev.knobwire.query"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!bag, waitMs);
    // The second query, already on its way, must find nobody.
    Recorder witness;
    ObserverBag witnessBag{NotificationCenter(m_consumer)};
    witnessBag.observe(u"dev.knobwire.query"_s, witness.handler());
    settle(m_consumer);
    QVERIFY(provider.post(u"dev.knobwire.query"_s));
    QTRY_COMPARE_WITH_TIMEOUT(witness.received.size(), 1, waitMs);
    QCOMPARE(deliveries, 1);
}

void DiscoveryTest::bagMayBeDestroyedOnAnotherThread()
{
    auto bag = std::make_unique<ObserverBag>(NotificationCenter(m_consumer));
    Recorder queries;
    bag->observe(u"dev.knobwire.query"_s, queries.handler());
    settle(m_consumer);
    std::unique_ptr<QThread> remover(QThread::create([&] { bag.reset(); }));
    remover->start();
    QVERIFY(remover->wait(waitMs));
    QVERIFY(!bag);

    Recorder witness;
    ObserverBag witnessBag{NotificationCenter(m_consumer)};
    witnessBag.observe(u"dev.knobwire.query"_s, witness.handler());
    settle(m_consumer);
    QVERIFY(NotificationCenter(m_provider).post(u"dev.knobwire.query"_s));
    QTRY_COMPARE_WITH_TIMEOUT(witness.received.size(), 1, waitMs);
    QCOMPARE(queries.received.size(), 0);
}

void DiscoveryTest::refusesNameWithoutMember()
{
    const NotificationCenter center(m_provider);
    QVERIFY(!center.post(u"nodots"_s));
    QVERIFY(!center.post(u"dev.knobwire."_s));
    ObserverBag bag(center);
    Recorder nothing;
    bag.observe(u"nodots"_s, nothing.handler());
    bag.removeAll();
}

QTEST_GUILESS_MAIN(DiscoveryTest)
#include "DiscoveryTest.moc"

#include "KnobwireTestSupport.h"

#include "Knobwire/KnobwireConsumer.h"

#include <QProcess>
#include <QTest>

#include <memory>

using namespace Knobwire;
using namespace KnobwireTest;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString providerApp = u"org.example.OtherProcess"_s;

const KnobwireConsumer::Timings fastTimings{
    .controlsLimit = 1s, .firstRequery = 50ms, .longestRequery = 400ms};

} // namespace

// The provider in a process of its own, driven through its standard input and output.
class ProviderProcess {
public:
    explicit ProviderProcess(const QString &prefix)
    {
        m_process.setProgram(QStringLiteral(KNOBWIRE_TEST_PROVIDER));
        m_process.setArguments({prefix, providerApp});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
            while (m_process.canReadLine()) {
                output.append(QString::fromUtf8(m_process.readLine()).trimmed());
            }
        });
        m_process.start();
    }

    ~ProviderProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(waitMs);
        }
    }

    void command(const QString &line) { m_process.write((line + u"\n"_s).toUtf8()); }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(waitMs);
    }
    qint64 pid() const { return m_process.processId(); }
    bool said(const QString &line) const { return output.contains(line); }

    QStringList output;

private:
    QProcess m_process;
};

class KnobwireTwoProcessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void consumerUsesProviderOfOtherProcess();
    void providerStopIsGoodbye();
    void killedProviderIsQueriedAgain();
    void wrongKeyIsRefused();
    void announcedPidMustBeSenders_data();
    void announcedPidMustBeSenders();

private:
    // A consumer on its own prefix, with its changes and errors recorded.
    struct Rig {
        Rig(QDBusConnection consumerBus, QDBusConnection testBus, const QString &prefix)
            : discovery(prefix, NotificationCenter(consumerBus)), testCenter(testBus),
              queries(testCenter, discovery.queryName()),
              consumer(u"org.example.Deck"_s, u"Deck"_s, std::nullopt, discovery, fastTimings)
        {
            consumer.onChange = [this](const KnobwireConsumer::Provider &entry) {
                changes.append(entry);
            };
            consumer.onError = [this](const QString &, const QString &message) {
                errors.append(message);
            };
        }

        void start()
        {
            consumer.start();
            settle(discovery.center.bus());
        }

        bool connected() const
        {
            const auto entry = consumer.provider(providerApp);
            return entry && entry->isConnected;
        }

        Discovery discovery;
        NotificationCenter testCenter;
        NotificationLog queries;
        KnobwireConsumer consumer;
        QList<KnobwireConsumer::Provider> changes;
        QStringList errors;
    };

    QDBusConnection m_consumerBus{QString()};
    QDBusConnection m_testBus{QString()};
};

void KnobwireTwoProcessTest::initTestCase()
{
    m_consumerBus = privateBus(u"consumer"_s);
    m_testBus = privateBus(u"tester"_s);
    QVERIFY2(m_consumerBus.isConnected(), "needs a D-Bus session bus");
    QVERIFY(m_testBus.isConnected());
}

void KnobwireTwoProcessTest::consumerUsesProviderOfOtherProcess()
{
    Rig rig(m_consumerBus, m_testBus, freshPrefix());
    rig.start();
    ProviderProcess provider(rig.discovery.prefix);
    QTRY_VERIFY_WITH_TIMEOUT(rig.connected(), waitMs);
    const KnobwireConsumer::Provider entry = *rig.consumer.provider(providerApp);
    QCOMPARE(entry.name, u"Test provider"_s);
    QCOMPARE(entry.version, u"1.0"_s);
    QCOMPARE(entry.controls.size(), 3);
    QCOMPARE(entry.control(u"vol"_s)->value, 0.5);
    QTRY_VERIFY_WITH_TIMEOUT(provider.said(u"consumers 1"_s), waitMs);

    // The provider applies the turn; its echo brings the new value back.
    QVERIFY(rig.consumer.turn(providerApp, u"vol"_s, 0.25));
    QTRY_COMPARE_WITH_TIMEOUT(rig.consumer.provider(providerApp)->control(u"vol"_s)->value, 0.25,
                              waitMs);
    QVERIFY(provider.said(u"turn vol 0.25"_s));
    QVERIFY(rig.consumer.turn(providerApp, u"st"_s, -2));
    QVERIFY(rig.consumer.tap(providerApp, u"tg"_s));
    QTRY_VERIFY_WITH_TIMEOUT(provider.said(u"press tg 0"_s), waitMs);
    QCOMPARE(provider.output.mid(provider.output.indexOf(u"turn st -2"_s)),
             (QStringList{u"turn st -2"_s, u"press tg 1"_s, u"press tg 0"_s}));

    // A change the provider makes on its own is pushed.
    provider.command(u"update tg on"_s);
    QTRY_COMPARE_WITH_TIMEOUT(rig.consumer.provider(providerApp)->control(u"tg"_s)->on, true,
                              waitMs);
    QCOMPARE(rig.changes.last().control(u"tg"_s)->on, true);
}

void KnobwireTwoProcessTest::providerStopIsGoodbye()
{
    Rig rig(m_consumerBus, m_testBus, freshPrefix());
    rig.start();
    ProviderProcess provider(rig.discovery.prefix);
    QTRY_VERIFY_WITH_TIMEOUT(rig.connected(), waitMs);
    NotificationLog goodbyes(rig.testCenter, rig.discovery.goodbyeName());

    provider.command(u"stop"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.connected(), waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(goodbyes.texts.size(), 1, waitMs);
    QCOMPARE(goodbyes.announcement(0)->app, providerApp);
    QCOMPARE(goodbyes.announcement(0)->pid, provider.pid());
    const KnobwireConsumer::Provider remembered = *rig.consumer.provider(providerApp);
    QVERIFY(!remembered.isConnected);
    QVERIFY(!remembered.control(u"vol"_s)->value);
    QCOMPARE(rig.changes.last(), remembered);
    QTRY_VERIFY_WITH_TIMEOUT(provider.said(u"consumers 0"_s), waitMs);
}

void KnobwireTwoProcessTest::killedProviderIsQueriedAgain()
{
    Rig rig(m_consumerBus, m_testBus, freshPrefix());
    rig.start();
    auto provider = std::make_unique<ProviderProcess>(rig.discovery.prefix);
    QTRY_VERIFY_WITH_TIMEOUT(rig.connected(), waitMs);
    const qsizetype queries = rig.queries.texts.size();

    // Killed, it says no goodbye: the consumer remembers it and asks again after a wait that
    // grows with every loss.
    provider->kill();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.connected(), waitMs);
    QElapsedTimer sinceLoss;
    sinceLoss.start();
    QCOMPARE(rig.consumer.requeryDelay(), 2 * fastTimings.firstRequery);
    QTRY_COMPARE_WITH_TIMEOUT(rig.queries.texts.size(), queries + 1, waitMs);
    QVERIFY(sinceLoss.elapsed() >= fastTimings.firstRequery.count());

    // A new start of the provider is found and the wait starts over.
    provider = std::make_unique<ProviderProcess>(rig.discovery.prefix);
    QTRY_VERIFY_WITH_TIMEOUT(rig.connected(), waitMs);
    QCOMPARE(rig.consumer.requeryDelay(), fastTimings.firstRequery);
}

void KnobwireTwoProcessTest::wrongKeyIsRefused()
{
    // The provider announces under its own prefix, which the consumer does not hear; the test
    // passes its port on with another key.
    Rig rig(m_consumerBus, m_testBus, freshPrefix());
    const QString providerPrefix = freshPrefix();
    NotificationLog announces(rig.testCenter, providerPrefix + u".announce"_s);
    ProviderProcess provider(providerPrefix);
    QTRY_COMPARE_WITH_TIMEOUT(announces.texts.size(), 1, waitMs);
    Announcement forged = *announces.announcement(0);
    forged.key = makeKey();
    forged.pid = FakeProvider::currentPid();
    rig.start();
    rig.testCenter.post(rig.discovery.announceName(), forged.json());
    QTRY_COMPARE_WITH_TIMEOUT(
        rig.errors, QStringList{u"hello needs the \"key\" from the announcement"_s}, waitMs);
    QVERIFY(!rig.consumer.provider(providerApp));
    QVERIFY(!provider.said(u"consumers 1"_s));
}

void KnobwireTwoProcessTest::announcedPidMustBeSenders_data()
{
    QTest::addColumn<bool>("senderPid");
    QTest::newRow("pid of the sending process") << true;
    QTest::newRow("pid of another live process") << false;
}

void KnobwireTwoProcessTest::announcedPidMustBeSenders()
{
    QFETCH(bool, senderPid);
    // The test relays the provider's true announcement; only the announced pid differs.
    Rig rig(m_consumerBus, m_testBus, freshPrefix());
    const QString providerPrefix = freshPrefix();
    NotificationLog announces(rig.testCenter, providerPrefix + u".announce"_s);
    ProviderProcess provider(providerPrefix);
    QTRY_COMPARE_WITH_TIMEOUT(announces.texts.size(), 1, waitMs);
    Announcement relayed = *announces.announcement(0);
    QCOMPARE(relayed.pid, provider.pid());
    if (senderPid) {
        relayed.pid = FakeProvider::currentPid();
    }
    rig.start();
    rig.testCenter.post(rig.discovery.announceName(), relayed.json());

    // Announcements are handled in order: once the next one has been linked, the relayed one
    // has been handled.
    FakeProvider marker;
    rig.testCenter.post(rig.discovery.announceName(),
                        marker.announcement(u"org.example.Marker"_s).json());
    QTRY_VERIFY_WITH_TIMEOUT(!marker.peers.empty(), waitMs);
    if (senderPid) {
        QTRY_VERIFY_WITH_TIMEOUT(rig.connected(), waitMs);
    } else {
        QVERIFY(!rig.consumer.provider(providerApp));
        QVERIFY(!provider.said(u"consumers 1"_s));
    }
}

QTEST_GUILESS_MAIN(KnobwireTwoProcessTest)
#include "KnobwireTwoProcessTest.moc"

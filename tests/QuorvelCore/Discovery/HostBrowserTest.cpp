#include "QuorvelCore/Discovery/HostBrowser.h"
#include "FakeServiceNetwork.h"
#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using Quorvel::DiscoveredHost;
using Quorvel::HostBrowser;
using Quorvel::ServiceDescription;
using Quorvel::ServicePublisher;
using Quorvel::TxtRecord;
using Quorvel::Testing::FakeServiceNetwork;

namespace {

// Far beyond any answer of the in-process network; only a failing test waits this long.
constexpr int waitMilliseconds = 5000;
// Each test function's own network.
std::unique_ptr<FakeServiceNetwork> network;
// What the network's clients fail with while no client can reach the mDNS service.
const QString noBus = QStringLiteral("No system bus");
// Fast retries, so that a recovery shows within the wait above.
const HostBrowser::RetryDelays fastRetries{50ms, 400ms};

const QString studioID = QStringLiteral("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");

QList<DiscoveredHost> lastList(const QSignalSpy &spy)
{
    return spy.isEmpty() ? QList<DiscoveredHost>{}
                         : spy.last().first().value<QList<DiscoveredHost>>();
}

QStringList lastNames(const QSignalSpy &spy)
{
    QStringList names;
    for (const DiscoveredHost &host : lastList(spy)) {
        names.append(host.name);
    }
    return names;
}

bool sawEmptyList(const QSignalSpy &spy)
{
    for (const auto &arguments : spy) {
        if (arguments.first().value<QList<DiscoveredHost>>().isEmpty()) {
            return true;
        }
    }
    return false;
}

// Advertises a host the way a host server does, and waits until it is announced.
std::unique_ptr<ServicePublisher> advertise(const QString &name, const TxtRecord &txt)
{
    std::unique_ptr<ServicePublisher> publisher(network->makePublisher(nullptr));
    QSignalSpy established(publisher.get(), &ServicePublisher::established);
    publisher->publish(ServiceDescription{name, Quorvel::serviceType, {}, 4711, txt});
    return established.wait(waitMilliseconds) ? std::move(publisher) : nullptr;
}

} // namespace

class HostBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void init() { network = std::make_unique<FakeServiceNetwork>(); }

    void cleanup() { network.reset(); }

    void advertisedHostsAreListedSortedByName()
    {
        const auto beta = advertise("beta", {{"v", "2"}, {"id", studioID}});
        const auto alpha = advertise("Alpha", {{"v", "2"}});
        QVERIFY(beta && alpha);

        HostBrowser browser(*network, {});
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        QVERIFY(lists.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), (QStringList{"Alpha", "beta"}),
                                  waitMilliseconds);
        const DiscoveredHost host = lastList(lists).at(1);
        QCOMPARE(host.protocolVersion, std::optional<qint64>(2));
        QCOMPARE(host.hostID, std::optional<QString>(studioID.toUpper()));
        QCOMPARE(host.id, QStringLiteral("beta._quorvel._tcplocal"));
        const auto *endpoint = std::get_if<Quorvel::ServiceEndpoint>(&host.endpoint);
        QVERIFY(endpoint);
        QCOMPARE(endpoint->name, QStringLiteral("beta"));
        QCOMPARE(endpoint->type, Quorvel::serviceType);
    }

    void txtValuesAreReadOrLeftAbsent_data()
    {
        QTest::addColumn<TxtRecord>("txt");
        QTest::addColumn<std::optional<qint64>>("version");
        QTest::addColumn<std::optional<QString>>("hostID");

        QTest::newRow("v +2") << TxtRecord{{"v", "+2"}} << std::optional<qint64>(2)
                              << std::optional<QString>();
        QTest::newRow("v 2.0") << TxtRecord{{"v", "2.0"}, {"id", studioID}}
                               << std::optional<qint64>()
                               << std::optional<QString>(studioID.toUpper());
        QTest::newRow("v empty") << TxtRecord{{"v", ""}} << std::optional<qint64>()
                                 << std::optional<QString>();
        QTest::newRow("id not a UUID") << TxtRecord{{"v", "2"}, {"id", "studio"}}
                                       << std::optional<qint64>(2) << std::optional<QString>();
        QTest::newRow("no keys") << TxtRecord{} << std::optional<qint64>()
                                 << std::optional<QString>();
    }

    void txtValuesAreReadOrLeftAbsent()
    {
        QFETCH(TxtRecord, txt);
        QFETCH(std::optional<qint64>, version);
        QFETCH(std::optional<QString>, hostID);
        const QString name = QString::fromUtf8(QTest::currentDataTag());
        const auto publisher = advertise(name, txt);
        QVERIFY(publisher);

        HostBrowser browser(*network, {});
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{name}, waitMilliseconds);
        QCOMPARE(lastList(lists).first().protocolVersion, version);
        QCOMPARE(lastList(lists).first().hostID, hostID);
    }

    void removedHostsLeaveTheListUntilItIsEmpty()
    {
        auto one = advertise("One", {{"v", "2"}});
        auto two = advertise("Two", {{"v", "2"}});
        QVERIFY(one && two);

        HostBrowser browser(*network, {});
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), (QStringList{"One", "Two"}), waitMilliseconds);
        one.reset();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{"Two"}, waitMilliseconds);
        two->stop();
        QTRY_VERIFY_WITH_TIMEOUT(lastList(lists).isEmpty(), waitMilliseconds);
        QVERIFY(lists.count() >= 3);
    }

    void stoppedBrowserSendsNothingMore()
    {
        HostBrowser browser(*network, {});
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        browser.stop();
        const auto late = advertise("Late", {{"v", "2"}});
        QVERIFY(late);
        // A running browser sees a new host well within this time; a stopped one must not.
        HostBrowser witness(*network, {});
        QSignalSpy witnessLists(&witness, &HostBrowser::hostsChanged);
        witness.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(witnessLists), QStringList{"Late"}, waitMilliseconds);
        QCOMPARE(lists.count(), 0);
    }

    void lostDaemonBlocksAndEmptiesTheListUntilItReturns()
    {
        const auto host = advertise("Steady", {{"v", "2"}});
        QVERIFY(host);

        HostBrowser browser(*network, {});
        QList<bool> blocked;
        connect(&browser, &HostBrowser::localNetworkBlocked,
                [&](bool value) { blocked.append(value); });
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{"Steady"}, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(blocked, QList<bool>{false}, waitMilliseconds);

        network->setDaemonRunning(false);
        QTRY_COMPARE_WITH_TIMEOUT(blocked, (QList<bool>{false, true}), waitMilliseconds);
        QTRY_VERIFY_WITH_TIMEOUT(lastList(lists).isEmpty(), waitMilliseconds);

        network->setDaemonRunning(true);
        QTRY_COMPARE_WITH_TIMEOUT(blocked, (QList<bool>{false, true, false}), waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{"Steady"}, waitMilliseconds);
    }

    void failedClientBlocksYieldsAnEmptyListAndBrowsesAgain()
    {
        const auto host = advertise("Survivor", {{"v", "2"}});
        QVERIFY(host);

        HostBrowser browser(*network, fastRetries);
        QList<bool> blocked;
        connect(&browser, &HostBrowser::localNetworkBlocked,
                [&](bool value) { blocked.append(value); });
        QSignalSpy lists(&browser, &HostBrowser::hostsChanged);
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{"Survivor"}, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(blocked, QList<bool>{false}, waitMilliseconds);

        // Without a system bus the client cannot even be made again: nothing can be seen.
        network->setClientFailure(noBus);
        QTRY_VERIFY_WITH_TIMEOUT(lastList(lists).isEmpty(), waitMilliseconds);
        // Each failed attempt yields an empty list again and is reported as blocked.
        const qsizetype emptied = lists.count();
        QTRY_VERIFY_WITH_TIMEOUT(lists.count() >= emptied + 2, waitMilliseconds);
        QVERIFY(sawEmptyList(lists));
        QVERIFY(blocked.size() >= 3);
        QVERIFY(!blocked.mid(1).contains(false));

        network->setClientFailure(std::nullopt);
        // The advertisement went down with the bus; the host advertises again.
        host->republish();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(lists), QStringList{"Survivor"}, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(blocked.last(), false, waitMilliseconds);
    }

    // The owner may stop the browser in its slot for the list that a failure yields.
    void browserStoppedInItsSlotAfterAFailureStaysStopped()
    {
        network->setClientFailure(noBus);
        HostBrowser stopped(*network, fastRetries);
        QList<bool> blocked;
        connect(&stopped, &HostBrowser::localNetworkBlocked,
                [&](bool value) { blocked.append(value); });
        QSignalSpy lists(&stopped, &HostBrowser::hostsChanged);
        connect(&stopped, &HostBrowser::hostsChanged, &stopped, &HostBrowser::stop);
        stopped.start();
        QTRY_COMPARE_WITH_TIMEOUT(lists.count(), 1, waitMilliseconds);
        QCOMPARE(blocked, QList<bool>{true});

        network->setClientFailure(std::nullopt);
        const auto host = advertise("Afterwards", {{"v", "2"}});
        QVERIFY(host);
        // A browsing witness sees the host well within this time; the stopped browser must not
        // have browsed again.
        HostBrowser witness(*network, {});
        QSignalSpy witnessLists(&witness, &HostBrowser::hostsChanged);
        witness.start();
        QTRY_COMPARE_WITH_TIMEOUT(lastNames(witnessLists), QStringList{"Afterwards"},
                                  waitMilliseconds);
        QCOMPARE(lists.count(), 1);
        QCOMPARE(blocked, QList<bool>{true});
    }
};

QTEST_GUILESS_MAIN(HostBrowserTest)
#include "HostBrowserTest.moc"

#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"
#include "FakeServiceNetwork.h"
#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <memory>

using namespace std::chrono_literals;
using Quorvel::LocalNetworkMonitor;
using Quorvel::ServiceDescription;
using Quorvel::ServicePublisher;
using Quorvel::Testing::FakeServiceNetwork;
using Status = Quorvel::LocalNetworkMonitor::Status;

namespace {

// Far beyond any answer of the in-process network; only a failing test waits this long.
constexpr int waitMilliseconds = 5000;

// Each test function's own network.
std::unique_ptr<FakeServiceNetwork> network;

// A fresh host id for each test.
QString ownID;

// A deadline that leaves the network time to report this host before it counts as not visible.
const LocalNetworkMonitor::Timings patient{5s, 100ms, 100ms};
// Short cycles for monitors that are meant not to see their host.
const LocalNetworkMonitor::Timings brisk{200ms, 100ms, 100ms};

// A monitor with its callbacks recorded.
struct Watched {
    explicit Watched(LocalNetworkMonitor::Timings timings,
                     const QString &serviceType = Quorvel::serviceType)
        : monitor(*network, serviceType, ownID, timings)
    {
        QObject::connect(&monitor, &LocalNetworkMonitor::statusChanged,
                         [this](Status status) { statuses.append(status); });
        QObject::connect(&monitor, &LocalNetworkMonitor::recheckDue,
                         [this](qint64 attempt) { rechecks.append(attempt); });
    }

    LocalNetworkMonitor monitor;
    QList<Status> statuses;
    QList<qint64> rechecks;
};

// Advertises this host the way its host server does and waits until it is announced.
std::unique_ptr<ServicePublisher> advertise(const QString &id)
{
    std::unique_ptr<ServicePublisher> publisher(network->makePublisher(nullptr));
    QSignalSpy established(publisher.get(), &ServicePublisher::established);
    publisher->publish(
        ServiceDescription{"This Host", Quorvel::serviceType, {}, 4711, {{"v", "2"}, {"id", id}}});
    return established.wait(waitMilliseconds) ? std::move(publisher) : nullptr;
}

} // namespace

class LocalNetworkMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        network = std::make_unique<FakeServiceNetwork>();
        ownID = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    }

    void cleanup() { network.reset(); }

    void ownAdvertisementMakesTheHostDiscoverable()
    {
        const auto publisher = advertise(ownID);
        QVERIFY(publisher);
        Watched watched(patient);
        QCOMPARE(watched.monitor.status(), Status::checking);
        watched.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);
        QCOMPARE(watched.statuses, QList<Status>{Status::discoverable});
        QVERIFY(watched.rechecks.isEmpty());
    }

    void unseenHostIsRecheckedAgainAndAgain()
    {
        Watched watched(brisk);
        watched.monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(watched.rechecks.size() >= 2, waitMilliseconds);
        QCOMPARE(watched.rechecks.mid(0, 2), (QList<qint64>{1, 2}));
        // Not visible again after each rebuild, but reported only once.
        QCOMPARE(watched.statuses, QList<Status>{Status::notVisible});
    }

    void idInAnotherLetterCaseDoesNotCount()
    {
        const auto publisher = advertise(ownID.toLower());
        QVERIFY(publisher);
        Watched watched(brisk);
        watched.monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(!watched.rechecks.isEmpty(), waitMilliseconds);
        QCOMPARE(watched.statuses, QList<Status>{Status::notVisible});
    }

    void withdrawnAdvertisementIsNotVisibleAtOnceAndAttemptsStartAfresh()
    {
        auto publisher = advertise(ownID);
        QVERIFY(publisher);
        LocalNetworkMonitor::Timings timings = patient;
        // Long enough that a rebuild's deadline cannot be what turns the status.
        timings.recheckInterval = 300ms;
        Watched watched(timings);
        watched.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);

        publisher->stop();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::notVisible, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(watched.rechecks, QList<qint64>{1}, waitMilliseconds);

        publisher->publish(ServiceDescription{
            "This Host", Quorvel::serviceType, {}, 4711, {{"v", "2"}, {"id", ownID}}});
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);
        const qsizetype rechecksBefore = watched.rechecks.size();
        publisher->stop();
        QTRY_VERIFY_WITH_TIMEOUT(watched.rechecks.size() > rechecksBefore, waitMilliseconds);
        QCOMPARE(watched.rechecks.at(rechecksBefore), qint64(1));
        QCOMPARE(watched.statuses.mid(0, 4),
                 (QList<Status>{Status::discoverable, Status::notVisible, Status::discoverable,
                                Status::notVisible}));
    }

    void lostDaemonBlocksUntilItReturns()
    {
        const auto publisher = advertise(ownID);
        QVERIFY(publisher);
        Watched watched(patient);
        watched.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);

        network->setDaemonRunning(false);
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::blocked, waitMilliseconds);
        network->setDaemonRunning(true);
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);
        QCOMPARE(watched.statuses,
                 (QList<Status>{Status::discoverable, Status::blocked, Status::discoverable}));
    }

    void failedBrowserCountsAsNotVisibleAndIsRebuilt()
    {
        // The mDNS service refuses to browse this type: the first browser fails before it is
        // ready.
        Watched watched(patient, QStringLiteral("not a type"));
        watched.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::notVisible, waitMilliseconds);
        // A second recheck follows only when the rebuilt browser failed again.
        QTRY_VERIFY_WITH_TIMEOUT(watched.rechecks.size() >= 2, waitMilliseconds);
        QCOMPARE(watched.rechecks.mid(0, 2), (QList<qint64>{1, 2}));
        QCOMPARE(watched.statuses, QList<Status>{Status::notVisible});
    }

    void clientThatCannotReachTheDaemonIsBlockedUntilItCan()
    {
        // Without a system bus no client can be made at all.
        network->setClientFailure(QStringLiteral("No system bus"));
        Watched watched(patient);
        watched.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::blocked, waitMilliseconds);
        QTRY_VERIFY_WITH_TIMEOUT(!watched.rechecks.isEmpty(), waitMilliseconds);

        network->setClientFailure(std::nullopt);
        const auto publisher = advertise(ownID);
        QVERIFY(publisher);
        QTRY_COMPARE_WITH_TIMEOUT(watched.monitor.status(), Status::discoverable, waitMilliseconds);
        QCOMPARE(watched.statuses, (QList<Status>{Status::blocked, Status::discoverable}));
    }

    void monitorStoppedDuringItsRebuildDoesNotBrowseAgain()
    {
        LocalNetworkMonitor::Timings timings = brisk;
        timings.rebuildDelay = 300ms;
        Watched stopped(timings);
        // After the recording connection: the owner stops the monitor in its slot.
        QObject::connect(&stopped.monitor, &LocalNetworkMonitor::recheckDue,
                         [&] { stopped.monitor.stop(); });
        Watched witness(timings);
        stopped.monitor.start();
        witness.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.rechecks, QList<qint64>{1}, waitMilliseconds);

        // A browsing monitor now finds its host; the stopped one must not.
        const auto publisher = advertise(ownID);
        QVERIFY(publisher);
        QTRY_COMPARE_WITH_TIMEOUT(witness.monitor.status(), Status::discoverable, waitMilliseconds);
        QCOMPARE(stopped.monitor.status(), Status::notVisible);
        QCOMPARE(stopped.statuses, QList<Status>{Status::notVisible});
        QCOMPARE(stopped.rechecks, QList<qint64>{1});
    }

    void stopLeavesTheStatusAndCallsNothing()
    {
        auto publisher = advertise(ownID);
        QVERIFY(publisher);
        Watched stopped(patient);
        Watched witness(patient);
        stopped.monitor.start();
        witness.monitor.start();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.monitor.status(), Status::discoverable, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(witness.monitor.status(), Status::discoverable, waitMilliseconds);
        stopped.monitor.stop();

        publisher.reset();
        QTRY_COMPARE_WITH_TIMEOUT(witness.monitor.status(), Status::notVisible, waitMilliseconds);
        QCOMPARE(stopped.monitor.status(), Status::discoverable);
        QCOMPARE(stopped.statuses, QList<Status>{Status::discoverable});
        QVERIFY(stopped.rechecks.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LocalNetworkMonitorTest)
#include "LocalNetworkMonitorTest.moc"

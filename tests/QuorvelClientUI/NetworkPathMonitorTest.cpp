#include "QuorvelClientUI/NetworkPathMonitor.h"

#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(QList<Quorvel::InterfaceSummary>)

namespace {

constexpr InterfaceSummary loopback{true, true, true};
constexpr InterfaceSummary ethernet{false, true, true};

} // namespace

class NetworkPathMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void offlineRule_data()
    {
        QTest::addColumn<QList<InterfaceSummary>>("interfaces");
        QTest::addColumn<bool>("offline");
        QTest::newRow("nothing") << QList<InterfaceSummary>() << true;
        QTest::newRow("loopback only") << QList<InterfaceSummary>{loopback} << true;
        QTest::newRow("ethernet up with address")
            << QList<InterfaceSummary>{loopback, ethernet} << false;
        QTest::newRow("ethernet down")
            << QList<InterfaceSummary>{loopback, {false, false, true}} << true;
        QTest::newRow("ethernet without address")
            << QList<InterfaceSummary>{loopback, {false, true, false}} << true;
    }

    void offlineRule()
    {
        QFETCH(QList<InterfaceSummary>, interfaces);
        QFETCH(bool, offline);
        QCOMPARE(isOfflineByInterfaces(interfaces), offline);
    }

    void interfacesAreWatchedWithoutABackend()
    {
        QList<InterfaceSummary> now{loopback, ethernet};
        NetworkPathMonitor monitor(
            NetworkPathMonitor::Source::interfaces, [&now] { return now; },
            std::chrono::milliseconds(10));
        QSignalSpy readings(&monitor, &NetworkPathMonitor::pathChanged);
        monitor.start();
        QVERIFY(!monitor.usesSystemReachability());
        QCOMPARE(readings.size(), 1);
        QCOMPARE(monitor.isOffline(), false);

        now = {loopback};
        QTRY_VERIFY(monitor.isOffline());
        now = {loopback, ethernet};
        QTRY_VERIFY(!monitor.isOffline());

        monitor.stop();
        const qsizetype stopped = readings.size();
        now = {loopback};
        QVERIFY(!QTest::qWaitFor([&] { return readings.size() > stopped; }, 100));
    }
};

QTEST_GUILESS_MAIN(NetworkPathMonitorTest)
#include "NetworkPathMonitorTest.moc"

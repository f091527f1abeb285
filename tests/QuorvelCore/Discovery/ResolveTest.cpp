#include "QuorvelCore/Discovery/Resolve.h"
#include "FakeServiceNetwork.h"
#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using Quorvel::ResolvedHost;
using Quorvel::ServicePublisher;
using Quorvel::Testing::FakeServiceNetwork;

namespace {

// Far beyond any answer of the in-process network; only a failing test waits this long.
constexpr int waitMilliseconds = 5000;

struct Outcome {
    int calls = 0;
    std::optional<ResolvedHost> result;
};

} // namespace

class ResolveTest : public QObject {
    Q_OBJECT

private slots:
    void publishedNameGivesItsAddressPortAndTrimmedHostName()
    {
        FakeServiceNetwork network;
        std::unique_ptr<ServicePublisher> publisher(network.makePublisher(nullptr));
        QSignalSpy established(publisher.get(), &ServicePublisher::established);
        publisher->publish(
            {QStringLiteral("Studio"), Quorvel::serviceType, {}, 4711, {{"v", "2"}}});
        QVERIFY(established.wait(waitMilliseconds));

        Outcome outcome;
        Quorvel::resolve(network, QStringLiteral("Studio"), Quorvel::serviceType,
                         QStringLiteral("local"), Quorvel::resolveTimeout, nullptr,
                         [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QCOMPARE(outcome.calls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>(ResolvedHost{
                                     FakeServiceNetwork::address, 4711, "quorvel-fake.local"}));
    }

    void unknownNameGivesNothingAtTheLimit()
    {
        FakeServiceNetwork network;
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        Quorvel::resolve(network, QStringLiteral("Nobody"), Quorvel::serviceType, {}, 300ms,
                         nullptr, [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>());
    }

    void goneContextGetsNoAnswer()
    {
        FakeServiceNetwork network;
        auto context = std::make_unique<QObject>();
        QObject later;
        Outcome outcome;
        Quorvel::resolve(network, QStringLiteral("Nobody"), Quorvel::serviceType, {}, 100ms,
                         context.get(), [&](std::optional<ResolvedHost>) { ++outcome.calls; });
        context.reset();
        // A second resolution of the same length ends after the first would have.
        bool secondDone = false;
        Quorvel::resolve(network, QStringLiteral("Nobody"), Quorvel::serviceType, {}, 100ms, &later,
                         [&](std::optional<ResolvedHost>) { secondDone = true; });
        QTRY_VERIFY_WITH_TIMEOUT(secondDone, waitMilliseconds);
        QCOMPARE(outcome.calls, 0);
    }

    void unreachableDaemonGivesNothingAtTheLimit()
    {
        FakeServiceNetwork network;
        std::unique_ptr<ServicePublisher> publisher(network.makePublisher(nullptr));
        publisher->publish({QStringLiteral("Studio"), Quorvel::serviceType, {}, 4711, {}});
        network.setDaemonRunning(false);
        Outcome outcome;
        Quorvel::resolve(network, QStringLiteral("Studio"), Quorvel::serviceType, {}, 200ms,
                         nullptr, [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>());
    }

    void removingFinalDot_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        QTest::newRow("final dot") << "studio.local."
                                   << "studio.local";
        QTest::newRow("no dot") << "studio.local"
                                << "studio.local";
        QTest::newRow("only one goes") << "studio.local.."
                                       << "studio.local.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void removingFinalDot()
    {
        QFETCH(QString, host);
        QFETCH(QString, expected);
        QCOMPARE(Quorvel::removingFinalDot(host), expected);
    }
};

QTEST_GUILESS_MAIN(ResolveTest)
#include "ResolveTest.moc"

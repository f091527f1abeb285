#include "MdnsSandbox.h"
#include "Platform/Avahi/AvahiPublisher.h"
#include "QuorvelCore/Discovery/Resolve.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using Quorvel::AvahiPublisher;
using Quorvel::ResolvedHost;

namespace {

// Long enough for the daemon's probing (about a second).
constexpr int waitMilliseconds = 15000;

struct Outcome {
    int calls = 0;
    std::optional<ResolvedHost> result;
};

} // namespace

class ResolveTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QUORVEL_REQUIRE_MDNS_SANDBOX(); }

    void cleanup() { QUORVEL_RESTORE_MDNS_DAEMONS(); }

    void publishedNameGivesItsHostAndPort()
    {
        AvahiPublisher publisher;
        QSignalSpy established(&publisher, &AvahiPublisher::established);
        publisher.publish({QStringLiteral("Studio"), Quorvel::serviceType, {}, 4711, {{"v", "2"}}});
        QVERIFY(established.wait(waitMilliseconds));

        Outcome outcome;
        Quorvel::resolve(QStringLiteral("Studio"), Quorvel::serviceType, QStringLiteral("local"),
                         Quorvel::resolveTimeout, nullptr, [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QCOMPARE(outcome.calls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>(ResolvedHost{"127.0.0.1", 4711}));
    }

    void unknownNameGivesNothingAtTheLimit()
    {
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        Quorvel::resolve(QStringLiteral("Nobody"), Quorvel::serviceType, {}, 300ms, nullptr,
                         [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>());
        // Nothing arrives after the one answer.
        QTest::qWait(300);
        QCOMPARE(outcome.calls, 1);
    }

    void goneContextGetsNoAnswer()
    {
        auto context = std::make_unique<QObject>();
        Outcome outcome;
        Quorvel::resolve(QStringLiteral("Nobody"), Quorvel::serviceType, {}, 100ms, context.get(),
                         [&](std::optional<ResolvedHost>) { ++outcome.calls; });
        context.reset();
        QTest::qWait(300);
        QCOMPARE(outcome.calls, 0);
    }

    void unreachableDaemonGivesNothingAtTheLimit()
    {
        QVERIFY(Quorvel::Testing::stopAvahiDaemon());
        Outcome outcome;
        Quorvel::resolve(QStringLiteral("Studio"), Quorvel::serviceType, {}, 200ms, nullptr,
                         [&](std::optional<ResolvedHost> result) {
                             ++outcome.calls;
                             outcome.result = result;
                         });
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, waitMilliseconds);
        QCOMPARE(outcome.result, std::optional<ResolvedHost>());
        QVERIFY(Quorvel::Testing::startAvahiDaemon());
    }
};

QTEST_GUILESS_MAIN(ResolveTest)
#include "tst_Resolve.moc"

#include "MdnsSandbox.h"
#include "Platform/Avahi/AvahiBrowser.h"
#include "Platform/Avahi/AvahiPublisher.h"
#include "Platform/Avahi/AvahiResolver.h"

#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <optional>

using namespace std::chrono_literals;
using Quorvel::AvahiBrowser;
using Quorvel::AvahiPublisher;
using Quorvel::AvahiResolver;
using Quorvel::BrowsedService;
using Quorvel::ResolvedService;
using Quorvel::ServiceDescription;
using Quorvel::ServiceInstance;

namespace {

const QString testType = QStringLiteral("_quorveltest._tcp");
// Long enough for the daemon's probing (about a second) and a daemon restart.
constexpr int waitMilliseconds = 15000;

ServiceDescription service(const QString &name, quint16 port)
{
    return ServiceDescription{name, testType, {}, port, {{"v", "2"}, {"id", "a=b"}}};
}

// Publishes `name` of the test type at `port`; false when the daemon never established it.
bool publishAndWait(AvahiPublisher &publisher, const QString &name, quint16 port)
{
    QSignalSpy established(&publisher, &AvahiPublisher::established);
    publisher.publish(service(name, port));
    return established.wait(waitMilliseconds);
}

// One resolution; false when it never reported or reported more than once.
bool resolveOnce(const QString &name, std::chrono::milliseconds timeout,
                 std::optional<ResolvedService> &result)
{
    AvahiResolver resolver;
    QSignalSpy finished(&resolver, &AvahiResolver::finished);
    resolver.start(name, testType, {}, timeout);
    if (!finished.wait(waitMilliseconds) || finished.count() != 1) {
        return false;
    }
    result = finished.first().first().value<std::optional<ResolvedService>>();
    return true;
}

// The services a browser has reported and not yet removed, by name.
QMap<QString, BrowsedService> collect(const QSignalSpy &found, const QSignalSpy *removed = nullptr)
{
    QMap<QString, BrowsedService> services;
    for (const auto &arguments : found) {
        const auto service = arguments.first().value<BrowsedService>();
        services.insert(service.instance.name, service);
    }
    for (const auto &arguments :
         removed ? QList<QList<QVariant>>(*removed) : QList<QList<QVariant>>{}) {
        services.remove(arguments.first().value<ServiceInstance>().name);
    }
    return services;
}

} // namespace

class AvahiServicesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QUORVEL_REQUIRE_MDNS_SANDBOX(); }

    void cleanup() { QUORVEL_RESTORE_MDNS_DAEMONS(); }

    void publishedServiceIsBrowsedWithItsTxtAndResolved()
    {
        AvahiPublisher publisher;
        QSignalSpy established(&publisher, &AvahiPublisher::established);
        publisher.publish(service(QStringLiteral("Studio"), 4711));
        QVERIFY(established.wait(waitMilliseconds));
        QCOMPARE(established.first().first().toString(), QStringLiteral("Studio"));

        AvahiBrowser browser(testType);
        QSignalSpy found(&browser, &AvahiBrowser::serviceFound);
        QSignalSpy ready(&browser, &AvahiBrowser::ready);
        browser.start();
        QTRY_VERIFY_WITH_TIMEOUT(collect(found).contains(QStringLiteral("Studio")),
                                 waitMilliseconds);
        const BrowsedService browsed = collect(found).value(QStringLiteral("Studio"));
        QCOMPARE(browsed.instance.type, testType);
        QVERIFY(browsed.txt.has_value());
        QCOMPARE(browsed.txt->value("v"), QStringLiteral("2"));
        QCOMPARE(browsed.txt->value("id"), QStringLiteral("a=b"));
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMilliseconds);

        std::optional<ResolvedService> resolved;
        QVERIFY(resolveOnce(QStringLiteral("Studio"), 5s, resolved));
        QVERIFY(resolved.has_value());
        QCOMPARE(resolved->port, quint16(4711));
        QCOMPARE(resolved->address, QStringLiteral("127.0.0.1"));
        QVERIFY(resolved->hostName.endsWith(QStringLiteral(".local")));
        QCOMPARE(resolved->txt.value("v"), QStringLiteral("2"));
    }

    void unknownNameResolvesToNothingAfterTheTimeOut()
    {
        std::optional<ResolvedService> resolved;
        QVERIFY(resolveOnce(QStringLiteral("Nobody Here"), 300ms, resolved));
        QVERIFY(!resolved.has_value());
    }

    void resolverReportsExactlyOnce()
    {
        AvahiPublisher publisher;
        QVERIFY(publishAndWait(publisher, QStringLiteral("Once"), 4712));

        AvahiResolver resolver;
        QSignalSpy finished(&resolver, &AvahiResolver::finished);
        resolver.start(QStringLiteral("Once"), testType, {}, 200ms);
        QVERIFY(finished.isEmpty());
        QVERIFY(finished.wait(waitMilliseconds));
        // Past the time-out no second result follows.
        QTest::qWait(300);
        QCOMPARE(finished.count(), 1);
    }

    void stoppedServiceIsRemovedFromTheBrowser()
    {
        AvahiPublisher publisher;
        QVERIFY(publishAndWait(publisher, QStringLiteral("Leaving"), 4713));

        AvahiBrowser browser(testType);
        QSignalSpy found(&browser, &AvahiBrowser::serviceFound);
        QSignalSpy removed(&browser, &AvahiBrowser::serviceRemoved);
        browser.start();
        QTRY_VERIFY_WITH_TIMEOUT(collect(found, &removed).contains(QStringLiteral("Leaving")),
                                 waitMilliseconds);
        publisher.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!collect(found, &removed).contains(QStringLiteral("Leaving")),
                                 waitMilliseconds);
    }

    void destroyedPublisherWithdrawsItsService()
    {
        AvahiBrowser browser(testType);
        QSignalSpy found(&browser, &AvahiBrowser::serviceFound);
        QSignalSpy removed(&browser, &AvahiBrowser::serviceRemoved);
        browser.start();
        {
            AvahiPublisher publisher;
            QVERIFY(publishAndWait(publisher, QStringLiteral("Brief"), 4714));
            QTRY_VERIFY_WITH_TIMEOUT(collect(found, &removed).contains(QStringLiteral("Brief")),
                                     waitMilliseconds);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!collect(found, &removed).contains(QStringLiteral("Brief")),
                                 waitMilliseconds);
    }

    void takenNameIsAdvertisedUnderTheNextAlternative()
    {
        AvahiPublisher first;
        QVERIFY(publishAndWait(first, QStringLiteral("Twin"), 4715));

        AvahiPublisher second;
        QSignalSpy secondEstablished(&second, &AvahiPublisher::established);
        second.publish(service(QStringLiteral("Twin"), 4716));
        QVERIFY(secondEstablished.wait(waitMilliseconds));
        QCOMPARE(secondEstablished.first().first().toString(), QStringLiteral("Twin #2"));
        QCOMPARE(second.currentName(), QStringLiteral("Twin #2"));

        std::optional<ResolvedService> resolved;
        QVERIFY(resolveOnce(QStringLiteral("Twin #2"), 5s, resolved));
        QVERIFY(resolved.has_value());
        QCOMPARE(resolved->port, quint16(4716));
    }

    void republishKeepsTheServiceAdvertised()
    {
        AvahiPublisher publisher;
        QSignalSpy established(&publisher, &AvahiPublisher::established);
        QSignalSpy failed(&publisher, &AvahiPublisher::failed);
        publisher.publish(service(QStringLiteral("Again"), 4717));
        QVERIFY(established.wait(waitMilliseconds));
        publisher.republish();
        QTRY_COMPARE_WITH_TIMEOUT(established.count(), 2, waitMilliseconds);
        QCOMPARE(established.last().first().toString(), QStringLiteral("Again"));
        QCOMPARE(failed.count(), 0);
        std::optional<ResolvedService> resolved;
        QVERIFY(resolveOnce(QStringLiteral("Again"), 5s, resolved));
        QVERIFY(resolved.has_value());
    }

    void invalidServiceFails()
    {
        AvahiPublisher publisher;
        QSignalSpy failed(&publisher, &AvahiPublisher::failed);
        publisher.publish(
            ServiceDescription{QStringLiteral("Bad"), QStringLiteral("not a type"), {}, 4718, {}});
        QVERIFY(failed.wait(waitMilliseconds));
        QVERIFY(!failed.first().first().toString().isEmpty());
    }

    void daemonRestartIsReportedAndRecovered()
    {
        AvahiPublisher publisher;
        QSignalSpy established(&publisher, &AvahiPublisher::established);
        QSignalSpy publishFailed(&publisher, &AvahiPublisher::failed);
        publisher.publish(service(QStringLiteral("Phoenix"), 4719));
        QVERIFY(established.wait(waitMilliseconds));

        AvahiBrowser browser(testType);
        QSignalSpy found(&browser, &AvahiBrowser::serviceFound);
        QSignalSpy ready(&browser, &AvahiBrowser::ready);
        QSignalSpy unreachable(&browser, &AvahiBrowser::unreachable);
        QSignalSpy browseFailed(&browser, &AvahiBrowser::failed);
        browser.start();
        QTRY_VERIFY_WITH_TIMEOUT(collect(found).contains(QStringLiteral("Phoenix")),
                                 waitMilliseconds);

        QVERIFY(Quorvel::Testing::stopAvahiDaemon());
        QTRY_COMPARE_WITH_TIMEOUT(unreachable.count(), 1, waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(publishFailed.count(), 1, waitMilliseconds);

        // Without a daemon a resolution ends with nothing at its time-out.
        std::optional<ResolvedService> resolved;
        QVERIFY(resolveOnce(QStringLiteral("Phoenix"), 200ms, resolved));
        QVERIFY(!resolved.has_value());

        found.clear();
        QVERIFY(Quorvel::Testing::startAvahiDaemon());
        QTRY_COMPARE_WITH_TIMEOUT(established.count(), 2, waitMilliseconds);
        QTRY_VERIFY_WITH_TIMEOUT(collect(found).contains(QStringLiteral("Phoenix")),
                                 waitMilliseconds);
        QTRY_VERIFY_WITH_TIMEOUT(ready.count() >= 2, waitMilliseconds);
        QCOMPARE(browseFailed.count(), 0);
    }

    // A refused browse leaves the client working (browsing again on it fails the same way); a
    // client that cannot reach the daemon at all is reported as such.
    void failuresAreToldApart_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("withoutSystemBus");
        QTest::addColumn<bool>("clientFails");

        QTest::newRow("invalid type") << QStringLiteral("not a type") << false << false;
        QTest::newRow("no system bus") << testType << true << true;
    }

    void failuresAreToldApart()
    {
        QFETCH(QString, type);
        QFETCH(bool, withoutSystemBus);
        QFETCH(bool, clientFails);
        if (withoutSystemBus) {
            QVERIFY(Quorvel::Testing::stopSystemBus());
        }
        AvahiBrowser browser(type);
        QSignalSpy failed(&browser, &AvahiBrowser::failed);
        QSignalSpy clientFailed(&browser, &AvahiBrowser::clientFailed);
        QSignalSpy unreachable(&browser, &AvahiBrowser::unreachable);
        QSignalSpy &expected = clientFails ? clientFailed : failed;
        QSignalSpy &other = clientFails ? failed : clientFailed;
        for (int attempt = 1; attempt <= 2; ++attempt) {
            browser.start();
            QTRY_COMPARE_WITH_TIMEOUT(expected.count(), attempt, waitMilliseconds);
        }
        QCOMPARE(other.count(), 0);
        QCOMPARE(unreachable.count(), 0);
    }

    void browsingWithoutDaemonWaitsForIt()
    {
        QVERIFY(Quorvel::Testing::stopAvahiDaemon());
        AvahiBrowser browser(testType);
        QSignalSpy ready(&browser, &AvahiBrowser::ready);
        QSignalSpy unreachable(&browser, &AvahiBrowser::unreachable);
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(unreachable.count(), 1, waitMilliseconds);
        QCOMPARE(ready.count(), 0);
        QVERIFY(Quorvel::Testing::startAvahiDaemon());
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMilliseconds);
    }
};

QTEST_GUILESS_MAIN(AvahiServicesTest)
#include "AvahiServicesTest.moc"

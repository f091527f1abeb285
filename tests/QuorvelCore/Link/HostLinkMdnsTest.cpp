#include "LinkTestSupport.h"
#include "MdnsSandbox.h"
#include "Platform/Avahi/AvahiBrowser.h"
#include "Platform/Avahi/AvahiResolver.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QSignalSpy>
#include <QTest>

#include <QSet>

#include <algorithm>
#include <memory>

using namespace Quorvel;
using namespace Quorvel::LinkTest;
using namespace std::chrono_literals;
using Status = HostConnection::Status;
using Kind = Status::Kind;

namespace {

// Long enough for the daemon's probing of a new name (about a second) with room to spare.
constexpr std::chrono::milliseconds advertiseWait = 15s;

std::optional<ResolvedService> resolve(const QString &name)
{
    AvahiResolver resolver;
    QSignalSpy finished(&resolver, &AvahiResolver::finished);
    resolver.start(name, serviceType, {}, advertiseWait);
    if (!finished.wait(int(advertiseWait.count()) + 1000))
        return std::nullopt;
    return finished.first().first().value<std::optional<ResolvedService>>();
}

} // namespace

// The server advertised through the sandbox's avahi-daemon and a connection that finds it by name.
class HostLinkMdnsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QUORVEL_REQUIRE_MDNS_SANDBOX(); }

    void startedServerIsFoundResolvedAndConnectedTo()
    {
        const QString hostID = u"6F1C3F0E-8B1A-4A44-9E0B-4C2D6B1F7A11"_qs;
        HostServer server(u"Studio"_qs, hostID, 0);
        ServerLog serverLog;
        serverLog.attach(server);
        QVERIFY(!server.start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 1);
        const quint16 port = *server.listeningPort();

        const std::optional<ResolvedService> found = resolve(u"Studio"_qs);
        QVERIFY(found);
        QCOMPARE(found->port, port);
        QCOMPARE(found->txt.value(u"v"_qs), u"2"_qs);
        QCOMPARE(found->txt.value(u"id"_qs), hostID);

        HostConnection connection(ServiceEndpoint{u"Studio"_qs, serviceType, {}, -1}, u"Remote"_qs,
                                  hostCode());
        ConnectionLog log;
        log.attach(connection);
        connection.start();
        QTRY_VERIFY_WITH_TIMEOUT(log.has(Kind::connected), int(advertiseWait.count()));
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(statuses.at(0), Status::connecting());
        QCOMPARE(statuses.at(1), Status::resolved(u"%1:%2"_qs.arg(found->hostName).arg(port)));
        QCOMPARE(statuses.at(2), Status::connected(u"TLS 1.2 / 0xA8"_qs));
        QTRY_COMPARE(serverLog.connected.size(), 1);
    }

    void restartedAndReadvertisedServerStaysFound()
    {
        HostServer server(u"Workshop"_qs, u"ID"_qs, 0);
        ServerLog serverLog;
        serverLog.attach(server);
        QVERIFY(!server.start(hostCode()));
        QTRY_COMPARE(serverLog.states.size(), 1);
        const quint16 port = *server.listeningPort();
        QVERIFY(resolve(u"Workshop"_qs));

        server.readvertise();
        std::optional<ResolvedService> found = resolve(u"Workshop"_qs);
        QVERIFY(found);
        QCOMPARE(found->port, port);

        server.restart(otherCode());
        QTRY_COMPARE(serverLog.states.size(), 2);
        found = resolve(u"Workshop"_qs);
        QVERIFY(found);
        QCOMPARE(found->port, port);
    }

    void endedServerIsWithdrawn_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("stopped") << false;
        QTest::newRow("destroyed") << true;
    }

    void endedServerIsWithdrawn()
    {
        QFETCH(bool, destroy);
        QSet<ServiceInstance> present;
        AvahiBrowser browser(serviceType);
        connect(&browser, &AvahiBrowser::serviceFound, this,
                [&](const BrowsedService &service) { present.insert(service.instance); });
        connect(&browser, &AvahiBrowser::serviceRemoved, this,
                [&](const ServiceInstance &instance) { present.remove(instance); });
        browser.start();
        const auto advertised = [&] {
            return std::any_of(present.cbegin(), present.cend(),
                               [](const ServiceInstance &i) { return i.name == u"Gone Soon"_qs; });
        };

        auto server = std::make_unique<HostServer>(u"Gone Soon"_qs, u"ID"_qs, 0);
        QVERIFY(!server->start(hostCode()));
        QTRY_VERIFY_WITH_TIMEOUT(advertised(), int(advertiseWait.count()));
        if (destroy)
            server.reset();
        else
            server->stop();
        QTRY_VERIFY_WITH_TIMEOUT(!advertised(), int(advertiseWait.count()));
    }

    void unresolvedNameIsTriedUntilTheConnectTimeOut()
    {
        QTest::ignoreMessage(QtWarningMsg,
                             "could not resolve Nobody Here; using the service endpoint");
        QTest::ignoreMessage(QtCriticalMsg, "connect timed out");
        HostConnection connection(ServiceEndpoint{u"Nobody Here"_qs, serviceType, {}, -1},
                                  u"Remote"_qs, hostCode());
        connection.resolveTimeout = 300ms;
        connection.connectTimeout = 1s;
        ConnectionLog log;
        log.attach(connection);
        connection.start();

        QTRY_COMPARE(log.finishedCount, 1);
        QCOMPARE(log.statuses(), (QList<Status>{Status::connecting(),
                                                Status::disconnected(u"timed out connecting"_qs)}));
    }

    void unreachableNetworkEndsTheAttempt()
    {
        // The sandbox has loopback only, so there is no route to any other address.
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"network down: .+"_qs));
        HostConnection connection(u"192.0.2.1"_qs, 9, u"Remote"_qs, hostCode());
        ConnectionLog log;
        log.attach(connection);
        connection.start();

        QTRY_COMPARE(log.finishedCount, 1);
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses.last().kind, Kind::networkDown);
    }
};

QTEST_GUILESS_MAIN(HostLinkMdnsTest)
#include "HostLinkMdnsTest.moc"

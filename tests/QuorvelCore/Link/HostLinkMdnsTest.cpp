#include "LinkTestSupport.h"
#include "MdnsSandbox.h"
#include "Platform/Avahi/AvahiBrowser.h"
#include "Platform/Avahi/AvahiPublisher.h"
#include "Platform/Avahi/AvahiResolver.h"
#include "Platform/Discovery/ServiceDiscovery.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>

#include <QSet>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// A TCP connection made by hand from 127.0.0.1:sourcePort (0: any free port) to address:port,
// so that several connections can share one source port. Its descriptor, or -1.
int connectFrom(quint16 sourcePort, const char *address, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(sourcePort);
    ::inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &remote.sin_addr);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

quint16 sourcePort(int fd)
{
    sockaddr_in local{};
    socklen_t size = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &size);
    return ntohs(local.sin_port);
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
        ServerLog serverLog;
        auto server =
            startedServer(serverLog, hostCode(), u"Studio"_qs, hostID, systemServiceDiscovery());
        QVERIFY(server);
        QTRY_COMPARE(serverLog.states.size(), 1);
        const quint16 port = *server->listeningPort();

        const std::optional<ResolvedService> found = resolve(u"Studio"_qs);
        QVERIFY(found);
        QCOMPARE(found->port, port);
        QCOMPARE(found->txt.value(u"v"_qs), u"2"_qs);
        QCOMPARE(found->txt.value(u"id"_qs), hostID);

        HostConnection connection(ServiceEndpoint{u"Studio"_qs, serviceType, {}, -1}, u"Remote"_qs,
                                  hostCode());
        ConnectionLog log;
        startRecorded(connection, log);
        QTRY_VERIFY_WITH_TIMEOUT(log.has(Kind::connected), int(advertiseWait.count()));
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(statuses.at(0), Status::connecting());
        QCOMPARE(statuses.at(1), Status::resolved(u"%1:%2"_qs.arg(found->hostName).arg(port)));
        QCOMPARE(statuses.at(2), Status::connected(u"TLS 1.2 / 0xA8"_qs));
        QTRY_COMPARE(serverLog.connected.size(), 1);
    }

    void serviceThatMovedIsLookedUpAgain()
    {
        // An advertisement left from a host's earlier run names a port where nothing listens.
        quint16 deadPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            deadPort = probe.serverPort();
        }
        auto stale = std::make_unique<AvahiPublisher>();
        QSignalSpy established(stale.get(), &AvahiPublisher::established);
        stale->publish(ServiceDescription{u"Moved"_qs, serviceType, {}, deadPort, {}});
        QVERIFY(established.wait(int(advertiseWait.count())));

        HostConnection connection(ServiceEndpoint{u"Moved"_qs, serviceType, {}, -1}, u"Remote"_qs,
                                  hostCode());
        connection.connectTimeout = advertiseWait;
        ConnectionLog log;
        startRecorded(connection, log);
        QTRY_VERIFY_WITH_TIMEOUT(log.has(Kind::waiting), int(advertiseWait.count()));

        // The host is back under the same name on another port: the attempt must find it there
        // rather than knock on the old port until it times out.
        stale.reset();
        ServerLog serverLog;
        auto server =
            startedServer(serverLog, hostCode(), u"Moved"_qs, u"ID"_qs, systemServiceDiscovery());
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(log.has(Kind::connected), int(advertiseWait.count()));
        QVERIFY(!log.has(Kind::disconnected));
    }

    void restartedAndReadvertisedServerStaysFound()
    {
        ServerLog serverLog;
        auto server = startedServer(serverLog, hostCode(), u"Workshop"_qs, u"ID"_qs,
                                    systemServiceDiscovery());
        QVERIFY(server);
        QTRY_COMPARE(serverLog.states.size(), 1);
        const quint16 port = *server->listeningPort();
        QVERIFY(resolve(u"Workshop"_qs));

        server->readvertise();
        std::optional<ResolvedService> found = resolve(u"Workshop"_qs);
        QVERIFY(found);
        QCOMPARE(found->port, port);

        server->restart(otherCode());
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
        startRecorded(connection, log);

        QTRY_COMPARE(log.finishedCount, 1);
        QCOMPARE(log.statuses(), (QList<Status>{Status::connecting(),
                                                Status::disconnected(u"timed out connecting"_qs)}));
    }

    void clientsFromOnePortToTwoOfOurAddressesAreToldApart()
    {
        // Every 127.x address is this sandbox's own loopback: silent connections reach the host
        // at other addresses from the very port that the real client then uses.
        ServerLog serverLog;
        auto server = startedServer(serverLog);
        QVERIFY(server);
        const quint16 port = *server->listeningPort();
        const std::array<const char *, 8> otherAddresses{"127.0.0.2", "127.0.0.3", "127.0.0.4",
                                                         "127.0.0.5", "127.0.0.6", "127.0.0.7",
                                                         "127.0.0.8", "127.0.0.9"};
        std::vector<int> silent;
        for (const char *address : otherAddresses) {
            silent.push_back(
                connectFrom(silent.empty() ? 0 : sourcePort(silent.front()), address, port));
            QVERIFY(silent.back() >= 0);
        }
        QTRY_COMPARE(server->findChildren<QSslSocket *>().size(), qsizetype(silent.size()));

        const int fd = connectFrom(sourcePort(silent.front()), "127.0.0.1", port);
        QVERIFY(fd >= 0);
        QSslSocket remote;
        QVERIFY(remote.setSocketDescriptor(fd));
        remote.setSslConfiguration(makeTLSOptions());
        connect(&remote, &QSslSocket::preSharedKeyAuthenticationRequired, &remote,
                [](QSslPreSharedKeyAuthenticator *authenticator) {
                    authenticator->setIdentity(LinkParameters::pskIdentity);
                    authenticator->setPreSharedKey(hostCode().pskData());
                });
        QByteArray received;
        connect(&remote, &QSslSocket::readyRead, &remote, [&] { received += remote.readAll(); });
        remote.startClientEncryption();
        QTRY_VERIFY(remote.isEncrypted());
        remote.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                     "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                     "Sec-WebSocket-Version: 13\r\n\r\n");
        QTRY_COMPARE(serverLog.connected.size(), 1);
        QTRY_VERIFY(received.startsWith("HTTP/1.1 101"));
        const QUuid id = serverLog.connected.first().id;

        // The silent ones leave; each is its own client, and the real one stays. They come from
        // one address, so only the first failure is logged one by one.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"failed handshake"_qs));
        for (const int descriptor : silent)
            ::close(descriptor);
        QTRY_COMPARE(serverLog.disconnected.size(), qsizetype(silent.size()));
        QVERIFY(!serverLog.disconnected.contains(id));
        received.clear();
        QVERIFY(server->send(challenge(u"still you"_qs), id));
        QTRY_VERIFY(received.contains("still you"));
    }

    void unreachableHostIsWaitedForUntilTheTimeOut()
    {
        // A network that answers "host unreachable", as one does for a host that is switched off;
        // the route exists only in the sandbox's own namespace.
        QCOMPARE(QProcess::execute(u"ip"_qs, {u"route"_qs, u"replace"_qs, u"unreachable"_qs,
                                              u"198.51.100.0/24"_qs}),
                 0);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"waiting: .+"_qs));
        QTest::ignoreMessage(QtCriticalMsg, "connect timed out");
        HostConnection connection(u"198.51.100.1"_qs, 9, u"Remote"_qs, hostCode());
        // Shorter than the pause before the next try, so that exactly one try is made.
        connection.connectTimeout = 500ms;
        ConnectionLog log;
        startRecorded(connection, log);

        QTRY_COMPARE(log.finishedCount, 1);
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(statuses.at(1).kind, Kind::waiting);
        QCOMPARE(statuses.last(), Status::disconnected(u"timed out connecting"_qs));
    }

    void unreachableNetworkEndsTheAttempt()
    {
        // The sandbox has loopback only, so there is no route to any other address.
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"network down: .+"_qs));
        HostConnection connection(u"192.0.2.1"_qs, 9, u"Remote"_qs, hostCode());
        ConnectionLog log;
        startRecorded(connection, log);

        QTRY_COMPARE(log.finishedCount, 1);
        const QList<Status> statuses = log.statuses();
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses.last().kind, Kind::networkDown);
    }
};

QTEST_GUILESS_MAIN(HostLinkMdnsTest)
#include "HostLinkMdnsTest.moc"

#pragma once

#include "FakeServiceNetwork.h"
#include "Platform/Discovery/ServicePublisher.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Link/HostServer.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QHostAddress>
#include <QList>
#include <QUrl>
#include <QUuid>
#include <QWebSocket>

#include <memory>
#include <utility>
#include <vector>

// Shared pieces of the host-link tests: two pairing codes, recorders of what a server and a
// connection report, and a bare client of the link stack for frames HostConnection never sends.
namespace Quorvel::LinkTest {

inline PairingToken hostCode()
{
    return *PairingToken::parse(QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2"));
}

inline PairingToken otherCode()
{
    return *PairingToken::parse(QStringLiteral("2345-6789-ABCD-EFGH-JKMN-PQRS"));
}

inline const QHostAddress loopback = QHostAddress(QHostAddress::LocalHost);

inline Message challenge(const QString &nonce)
{
    return Message(Message::Challenge{nonce});
}

inline Message hello(const QString &name)
{
    return Message(Message::Hello{name, Message::protocolVersion, std::nullopt, std::nullopt});
}

// An error message whose link encoding is exactly `size` bytes.
inline Message errorOfEncodedSize(qint64 size)
{
    const qint64 base = encodeForLink(Message(Message::Error{QStringLiteral("x"), {}}))->size();
    return Message(Message::Error{QStringLiteral("x"), QString(size - base, u'a')});
}

// Everything a HostServer tells its owner, in order.
struct ServerLog {
    QList<HostServer::Client> connected;
    QList<QUuid> disconnected;
    std::vector<std::pair<QUuid, Message>> messages;
    QList<ListenerState> states;

    void attach(HostServer &server)
    {
        server.onClientConnected = [this](const HostServer::Client &c) { connected.append(c); };
        server.onClientDisconnected = [this](const QUuid &id) { disconnected.append(id); };
        server.onMessage = [this](const QUuid &id, const Message &m) {
            messages.emplace_back(id, m);
        };
        server.onStateChanged = [this](const ListenerState &s) { states.append(s); };
    }
};

// Everything a HostConnection reports, in order.
struct ConnectionLog {
    std::vector<HostConnection::Event> events;
    int finishedCount = 0;

    void attach(HostConnection &connection)
    {
        QObject::connect(&connection, &HostConnection::eventOccurred, &connection,
                         [this](const HostConnection::Event &e) { events.push_back(e); });
        QObject::connect(&connection, &HostConnection::finished, &connection,
                         [this] { ++finishedCount; });
    }

    QList<HostConnection::Status> statuses() const
    {
        QList<HostConnection::Status> result;
        for (const auto &event : events) {
            if (const auto *status = std::get_if<HostConnection::Status>(&event))
                result.append(*status);
        }
        return result;
    }

    std::vector<Message> messages() const
    {
        std::vector<Message> result;
        for (const auto &event : events) {
            if (const auto *message = std::get_if<Message>(&event))
                result.push_back(*message);
        }
        return result;
    }

    bool has(HostConnection::Status::Kind kind) const
    {
        for (const auto &status : statuses()) {
            if (status.kind == kind)
                return true;
        }
        return false;
    }
};

// Starts `connection` with `log` recording from its first event; tests that set time-outs or an
// address of their own build the connection themselves and start it through here.
inline void startRecorded(HostConnection &connection, ConnectionLog &log)
{
    log.attach(connection);
    connection.start();
}

// A WebSocket client with the link's settings, for frames that HostConnection never sends. The
// server counts it connected once it has answered the upgrade, but the client reads that answer
// later, and QWebSocket drops (and answers 0 for) what is sent before: wait for the client's
// ConnectedState too before sending.
inline std::unique_ptr<QWebSocket> openRawClient(const PairingToken &code, quint16 port)
{
    auto socket = std::make_unique<QWebSocket>(QString(), QWebSocketProtocol::Version13);
    makeParameters(code).configureClientSocket(*socket);
    QUrl url;
    url.setScheme(QStringLiteral("wss"));
    url.setHost(loopback.toString());
    url.setPort(port);
    url.setPath(QStringLiteral("/"));
    socket->open(url);
    return socket;
}

// Where servers advertise unless a test asks for this machine's mDNS service: nothing is
// announced beyond the process.
inline ServiceDiscovery &inProcessNetwork()
{
    static Testing::FakeServiceNetwork network;
    return network;
}

// A started server on a free loopback port; the mDNS tests pick the name and ID they look for,
// and advertise through this machine's mDNS service.
inline std::unique_ptr<HostServer>
startedServer(ServerLog &log, const PairingToken &code = hostCode(),
              const QString &name = QStringLiteral("Test Host"),
              const QString &hostID = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
              ServiceDiscovery &discovery = inProcessNetwork())
{
    auto server = std::make_unique<HostServer>(
        name, hostID, 0, std::unique_ptr<ServicePublisher>(discovery.makePublisher(nullptr)));
    log.attach(*server);
    if (server->start(code))
        return nullptr;
    return server;
}

inline std::unique_ptr<HostConnection> connectionTo(const HostServer &server, ConnectionLog &log,
                                                    const PairingToken &code = hostCode())
{
    auto connection =
        std::make_unique<HostConnection>(loopback.toString(), server.listeningPort().value_or(0),
                                         QStringLiteral("Test Remote"), code);
    startRecorded(*connection, log);
    return connection;
}

} // namespace Quorvel::LinkTest

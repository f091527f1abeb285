// Speed of the host link over loopback, next to a bare Qt TLS-PSK socket doing the same work:
// the time from opening a connection to its first message, a 1 KiB round trip, and one 2 KiB
// broadcast reaching 50 connected remotes. Prints medians and the ratios to the bare socket.

#include "FakeServiceNetwork.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Link/HostServer.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpServer>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Quorvel;

namespace {

// Samples per figure: enough for a stable median without a long run.
constexpr int connectSamples = 40;
constexpr int roundTripSamples = 400;
constexpr int broadcastSamples = 60;
// Sizes the figures are about.
constexpr qint64 roundTripBytes = 1024;
constexpr qint64 broadcastBytes = 2048;
constexpr int broadcastClients = 50;
// The goals the link has to meet.
constexpr double roundTripRatioGoal = 1.5;
constexpr double broadcastGoalMs = 20.0;

// Where the benchmark's servers advertise: in this process only.
ServiceDiscovery &benchNetwork()
{
    static Testing::FakeServiceNetwork network;
    return network;
}

const QString loopback = QHostAddress(QHostAddress::LocalHost).toString();

PairingToken code()
{
    return *PairingToken::parse(QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2"));
}

// A message whose link encoding is exactly `size` bytes.
Message messageOfSize(qint64 size)
{
    const qint64 base = encodeForLink(Message(Message::Error{QStringLiteral("x"), {}}))->size();
    return Message(Message::Error{QStringLiteral("x"), QString(size - base, u'a')});
}

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double millisecondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void answerKey(QSslSocket &socket)
{
    QObject::connect(&socket, &QSslSocket::preSharedKeyAuthenticationRequired, &socket,
                     [](QSslPreSharedKeyAuthenticator *authenticator) {
                         authenticator->setIdentity(LinkParameters::pskIdentity);
                         authenticator->setPreSharedKey(code().pskData());
                     });
}

// The baseline: TLS-PSK with the same settings and no WebSocket or JSON above it. Greets every
// connection with `greeting` and echoes whatever it reads.
class BareEchoServer : public QTcpServer {
public:
    explicit BareEchoServer(QByteArray greeting) : m_greeting(std::move(greeting)) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setSslConfiguration(makeTLSOptions());
        answerKey(*socket);
        connect(socket, &QSslSocket::encrypted, socket,
                [this, socket] { socket->write(m_greeting); });
        connect(socket, &QSslSocket::readyRead, socket,
                [socket] { socket->write(socket->readAll()); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        socket->startServerEncryption();
    }

private:
    QByteArray m_greeting;
};

struct Figures {
    double connect = 0;
    double roundTrip = 0;
};

Figures measureBare(const QByteArray &greeting, const QByteArray &payload)
{
    BareEchoServer server(greeting);
    server.listen(QHostAddress::LocalHost);
    std::vector<double> connects;
    std::vector<double> roundTrips;
    for (int i = 0; i < connectSamples; ++i) {
        QSslSocket client;
        client.setSslConfiguration(makeTLSOptions());
        answerKey(client);
        QElapsedTimer timer;
        timer.start();
        client.connectToHostEncrypted(loopback, server.serverPort());
        waitUntil([&] { return client.bytesAvailable() >= greeting.size(); });
        connects.push_back(millisecondsSince(timer));
        client.readAll();
        if (i + 1 < connectSamples)
            continue;
        for (int j = 0; j < roundTripSamples; ++j) {
            timer.start();
            client.write(payload);
            waitUntil([&] { return client.bytesAvailable() >= payload.size(); });
            roundTrips.push_back(millisecondsSince(timer));
            client.readAll();
        }
    }
    return {median(connects), median(roundTrips)};
}

Figures measureLink(const Message &greeting, const Message &payload)
{
    HostServer server(QStringLiteral("Bench"), QUuid::createUuid().toString(), 0,
                      std::unique_ptr<ServicePublisher>(benchNetwork().makePublisher(nullptr)));
    server.onClientConnected = [&](const HostServer::Client &client) {
        server.send(greeting, client.id);
    };
    server.onMessage = [&](const QUuid &id, const Message &message) { server.send(message, id); };
    server.start(code());
    waitUntil([&] { return server.listeningPort().has_value(); });

    std::vector<double> connects;
    std::vector<double> roundTrips;
    for (int i = 0; i < connectSamples; ++i) {
        HostConnection connection(loopback, *server.listeningPort(), QStringLiteral("Bench"),
                                  code());
        int received = 0;
        QObject::connect(&connection, &HostConnection::eventOccurred, &connection,
                         [&](const HostConnection::Event &event) {
                             if (std::holds_alternative<Message>(event))
                                 ++received;
                         });
        QElapsedTimer timer;
        timer.start();
        connection.start();
        waitUntil([&] { return received == 1; });
        connects.push_back(millisecondsSince(timer));
        if (i + 1 < connectSamples)
            continue;
        for (int j = 0; j < roundTripSamples; ++j) {
            timer.start();
            connection.send(payload);
            waitUntil([&] { return received == j + 2; });
            roundTrips.push_back(millisecondsSince(timer));
        }
    }
    return {median(connects), median(roundTrips)};
}

double measureBroadcast(const Message &state)
{
    HostServer server(QStringLiteral("Bench"), QUuid::createUuid().toString(), 0,
                      std::unique_ptr<ServicePublisher>(benchNetwork().makePublisher(nullptr)));
    int connected = 0;
    server.onClientConnected = [&](const HostServer::Client &client) {
        server.markAuthenticated(client.id);
        ++connected;
    };
    server.start(code());
    waitUntil([&] { return server.listeningPort().has_value(); });

    std::vector<std::unique_ptr<HostConnection>> clients;
    int received = 0;
    int ready = 0;
    for (int i = 0; i < broadcastClients; ++i) {
        clients.push_back(std::make_unique<HostConnection>(loopback, *server.listeningPort(),
                                                           QStringLiteral("Bench"), code()));
        QObject::connect(clients.back().get(), &HostConnection::eventOccurred, clients.back().get(),
                         [&](const HostConnection::Event &event) {
                             if (std::holds_alternative<Message>(event))
                                 ++received;
                             else if (std::get<HostConnection::Status>(event).kind ==
                                      HostConnection::Status::Kind::connected)
                                 ++ready;
                         });
        // One at a time: the server lets only a few connections wait to pair at once.
        clients.back()->start();
        waitUntil([&] { return connected == i + 1 && ready == i + 1; });
    }

    std::vector<double> samples;
    for (int i = 0; i < broadcastSamples; ++i) {
        received = 0;
        QElapsedTimer timer;
        timer.start();
        server.broadcast(state);
        waitUntil([&] { return received == broadcastClients; });
        samples.push_back(millisecondsSince(timer));
    }
    return median(samples);
}

// What the link's JSON costs per round trip: each end encodes the message once and decodes it
// once, which a bare socket echo never does.
double measureCodec(const Message &payload)
{
    std::vector<double> samples;
    for (int i = 0; i < roundTripSamples; ++i) {
        QElapsedTimer timer;
        timer.start();
        for (int end = 0; end < 2; ++end) {
            const QString text = *encodeForLink(payload);
            WireCodec::decode(text.toUtf8());
        }
        samples.push_back(millisecondsSince(timer));
    }
    return median(samples);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The figures are the output; the link's own log lines would only slow it down.
    QLoggingCategory::setFilterRules(QStringLiteral("Quorvel.*=false"));

    const Message greeting(Message::Challenge{PairingToken::makeNonce()});
    const Message payload = messageOfSize(roundTripBytes);
    const Figures bare =
        measureBare(encodeForLink(greeting)->toUtf8(), encodeForLink(payload)->toUtf8());
    const Figures link = measureLink(greeting, payload);
    const double broadcast = measureBroadcast(messageOfSize(broadcastBytes));
    const double codec = measureCodec(payload);

    const double connectRatio = link.connect / bare.connect;
    const double roundTripRatio = link.roundTrip / bare.roundTrip;
    std::printf("link_bench: host link over loopback against a bare Qt TLS-PSK socket (medians)\n");
    std::printf("connect to first message: link %.3f ms, bare %.3f ms, ratio %.2f\n", link.connect,
                bare.connect, connectRatio);
    // A round trip takes tens of microseconds: shown in them, so that changes of a few percent
    // show.
    std::printf(
        "1 KiB round trip:         link %.2f us, bare %.2f us, ratio %.3f (goal <= %.1f) %s\n",
        link.roundTrip * 1e3, bare.roundTrip * 1e3, roundTripRatio, roundTripRatioGoal,
        roundTripRatio <= roundTripRatioGoal ? "met" : "MISSED");
    std::printf("  of which JSON encoding and decoding at both ends: %.2f us\n", codec * 1e3);
    std::printf("2 KiB broadcast to %d remotes: %.3f ms (goal <= %.0f ms) %s\n", broadcastClients,
                broadcast, broadcastGoalMs, broadcast <= broadcastGoalMs ? "met" : "MISSED");
    return 0;
}

// Measures the host under attack over loopback, with the host in a process of its own, side by
// side in one run:
//  1. the time a new device with the right code needs to be served (from opening its connection
//     to its first state update) on a quiet host;
//  2. the same while 64 hostile connections from one address (127.0.0.2) hold handshakes open,
//     reopening each as soon as it is closed (goal: within 1 s of the quiet figure);
//  3. the same while 16 addresses (127.0.0.2 to 127.0.0.17) hold 4 each (goal: within 2 s);
//  4. the host's resident memory after a paired device (127.0.0.40) stopped reading and flooded
//     the host with the largest allowed requests for a while, pairing again whenever the host
//     closed it (goal: below 100 MiB, link closed).
// Usage: attack_bench [flood seconds, 30 by default] [served devices per figure, 5 by default]

#include "BenchHost.h"
#include "BenchSupport.h"
#include "HostileCrowd.h"
#include "QuorvelCore/Link/DeviceText.h"
#include "QuorvelCore/Link/LinkTransport.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "RawLinkPeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::Bench;
using namespace std::chrono_literals;
using Quorvel::LinkTest::HostileCrowd;
using Quorvel::LinkTest::RawLinkPeer;

namespace {

constexpr int defaultFloodSeconds = 30;
constexpr int defaultServedDevices = 5;
// Time the host gets to take in a crowd of hostile connections before a device is timed.
constexpr auto crowdSettleTime = 1s;
// Requests the flooding device writes at each turn while its own socket takes them.
constexpr int floodBatch = 200;
// The flooding device writes more only while less than this waits in its own socket.
constexpr qint64 floodBacklog = 1024 * 1024;
constexpr double millisecondsPerSecond = 1000.0;
constexpr double goalOneAddress = 1000.0;
constexpr double goalManyAddresses = 2000.0;
constexpr double goalMemoryMiB = 100.0;

QHostAddress loopbackSource(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

// The median time, in milliseconds, for `count` new devices, one after another, to be served.
std::optional<double> timeToServe(quint16 port, const PairingToken &code, int count)
{
    std::vector<qint64> times;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        Device device(port, code);
        if (!spinUntil([&] { return device.paired; }))
            return std::nullopt;
        times.push_back(timer.nsecsElapsed());
    }
    return median(times);
}

void waitFor(std::chrono::milliseconds duration)
{
    spinUntil([timer = QDeadlineTimer(duration)] { return timer.hasExpired(); },
              duration + stepLimit);
}

// A paired device that stops reading and then sends requests with the longest ids the host
// takes, as fast as its socket takes them; pairs again whenever the host closes it.
class Flood {
public:
    Flood(quint16 port, const PairingToken &code) : m_port(port), m_code(code)
    {
        QObject::connect(&m_pump, &QTimer::timeout, [this] { pump(); });
        m_pump.start(0);
    }

    int closedByHost() const { return m_closed; }
    qint64 requestsSent() const { return m_sent; }

private:
    void pump()
    {
        if (!m_peer || m_peer->isDisconnected()) {
            if (m_peer && m_flooding)
                ++m_closed;
            m_peer = std::make_unique<RawLinkPeer>(loopbackSource(floodSource));
            m_peer->connectWebSocket(m_port, m_code);
            m_flooding = false;
            return;
        }
        if (!m_flooding) {
            if (m_peer->textMessages().isEmpty())
                return;
            const std::optional<Message> first = WireCodec::decode(m_peer->textMessages().first());
            const auto *challenge = first ? first->as<Message::Challenge>() : nullptr;
            if (!challenge)
                return;
            m_peer->sendText(encodeForLink(Message(Message::Hello{
                                               QStringLiteral("Flood"), Message::protocolVersion,
                                               m_code.proof(challenge->nonce), std::nullopt}))
                                 ->toUtf8());
            m_peer->stopReading();
            m_flooding = true;
            return;
        }
        if (m_peer->socket().bytesToWrite() + m_peer->socket().encryptedBytesToWrite() >
            floodBacklog)
            return;
        for (int i = 0; i < floodBatch; ++i) {
            const QString id =
                QString::number(m_sent).rightJustified(DeviceText::maxIdLength, u'r');
            m_peer->sendText(request(id));
            ++m_sent;
        }
    }

    static QByteArray request(const QString &id)
    {
        return encodeForLink(Message(Message::TriggerAction{id, id, std::nullopt}))->toUtf8();
    }

    static constexpr int floodSource = 40;
    quint16 m_port;
    PairingToken m_code;
    std::unique_ptr<RawLinkPeer> m_peer;
    QTimer m_pump;
    bool m_flooding = false;
    int m_closed = 0;
    qint64 m_sent = 0;
};

int measure(int floodSeconds, int servedDevices)
{
    const PairingToken code = PairingToken::generate();
    HostProcess host(std::nullopt, code);
    const std::optional<quint16> port = host.port();
    if (!port) {
        std::fprintf(stderr, "attack_bench: the host did not listen\n");
        return 1;
    }

    const std::optional<double> quiet = timeToServe(*port, code, servedDevices);
    if (!quiet) {
        std::fprintf(stderr, "attack_bench: a device was not served by the quiet host\n");
        return 1;
    }

    std::optional<double> oneAddress;
    int oneAddressReopened = 0;
    {
        HostileCrowd crowd(*port, {loopbackSource(2)}, 64);
        waitFor(crowdSettleTime);
        oneAddress = timeToServe(*port, code, servedDevices);
        oneAddressReopened = crowd.reopened();
    }

    std::optional<double> manyAddresses;
    int manyAddressesReopened = 0;
    {
        QList<QHostAddress> sources;
        for (int last = 2; last < 18; ++last)
            sources.append(loopbackSource(last));
        HostileCrowd crowd(*port, sources, 4);
        waitFor(crowdSettleTime);
        manyAddresses = timeToServe(*port, code, servedDevices);
        manyAddressesReopened = crowd.reopened();
    }

    std::printf("new device served (median of %d): quiet host %.1f ms\n", servedDevices, *quiet);
    if (oneAddress) {
        std::printf("  while 64 connections from one address hold handshakes: %.1f ms, %+.1f ms "
                    "against quiet (goal: within %.0f ms); %d hostile reopenings\n",
                    *oneAddress, *oneAddress - *quiet, goalOneAddress, oneAddressReopened);
    } else {
        std::printf("  while 64 connections from one address hold handshakes: NOT SERVED\n");
    }
    if (manyAddresses) {
        std::printf("  while 16 addresses hold 4 each: %.1f ms, %+.1f ms against quiet (goal: "
                    "served within %.0f ms); %d hostile reopenings\n",
                    *manyAddresses, *manyAddresses - *quiet, goalManyAddresses,
                    manyAddressesReopened);
    } else {
        std::printf("  while 16 addresses hold 4 each: NOT SERVED\n");
    }
    std::fflush(stdout);

    const double before = host.residentMiB();
    double peak = before;
    Flood flood(*port, code);
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { peak = std::max(peak, host.residentMiB()); });
    sampler.start(100ms);
    waitFor(std::chrono::seconds(floodSeconds));
    sampler.stop();
    const double after = host.residentMiB();
    peak = std::max(peak, after);
    std::printf("resident memory of the host, a paired device not reading under a flood for %d "
                "s: %.1f MiB at the end, %.1f MiB at most (before %.1f MiB; goal: below %.0f "
                "MiB); link closed by the host %d times; %lld requests of %lld-character ids "
                "sent\n",
                floodSeconds, after, peak, before, goalMemoryMiB, flood.closedByHost(),
                static_cast<long long>(flood.requestsSent()),
                static_cast<long long>(DeviceText::maxIdLength));
    return oneAddress && manyAddresses ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Log lines are not what is measured; writing them would be.
    QLoggingCategory::setFilterRules(QStringLiteral("Quorvel.*.debug=false\nQuorvel.*.info=false"));
    if (app.arguments().value(1) == serveFlag)
        return serve();
    const int floodSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultFloodSeconds;
    const int servedDevices = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultServedDevices;
    return measure(floodSeconds, servedDevices);
}

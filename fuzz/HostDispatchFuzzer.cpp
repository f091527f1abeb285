// Feeds arbitrary bytes to the host's dispatcher as the messages of a paired device without
// editing rights: one message per line, all in flight at once. The device pairs as any does, over
// a real TLS-PSK link on loopback through the host's own server. Every request of an input is
// finished before the next input starts, so the link carries nothing over and is kept across
// inputs, sparing each a handshake; it is paired anew only when an input has made the host close
// it (a second hello does). Whatever arrives, the host must not crash, must finish every run it
// starts, and must leave the deck file and the deck in force as they were.
#include "FakeServiceNetwork.h"
#include "LoopbackDevice.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Quorvel;

namespace {

// Messages taken from one input; enough to fill the limit of runs at once and go past it.
constexpr qsizetype maxMessages = HostCoordinator::maxRunningActions + 4;
// A switch's re-check that waits next to nothing, so each input ends quickly.
constexpr double recheckDelay = 0.001;
constexpr int recheckAttempts = 2;

struct Host {
    QTemporaryDir home;
    QString deckPath;
    QByteArray deckBytes;
    Deck deck;
    PairingToken code = PairingToken::generate();
    QCoreApplication *app = nullptr;
    // The host advertises here, in this process only: nothing goes out on the network.
    Testing::FakeServiceNetwork *network = nullptr;
    HostCoordinator *coordinator = nullptr;
    std::unique_ptr<LoopbackDevice> device;
    // The server's id of the device's link.
    QUuid client;
    // Messages handed to the dispatcher while the device was paired.
    qint64 dispatched = 0;
};

Host *host = nullptr;

Action appControl(const QString &value)
{
    return Action{Action::Kind::appControl, QStringLiteral("fuzz.app"), std::nullopt,
                  QStringLiteral("c"), value};
}

// Controls of every type; only "true" starts a program, the others fail fast without a
// providing application.
Deck fuzzDeck()
{
    Control shell;
    shell.id = QStringLiteral("true");
    shell.title = QStringLiteral("True");
    shell.action = Action{Action::Kind::shell, QStringLiteral("true"), std::nullopt, std::nullopt,
                          std::nullopt};
    Control press;
    press.id = QStringLiteral("press");
    press.title = QStringLiteral("Press");
    press.action = appControl(QStringLiteral("press"));
    Control lamp;
    lamp.id = QStringLiteral("lamp");
    lamp.title = QStringLiteral("Lamp");
    lamp.type = ControlType::toggle;
    lamp.onAction = appControl(QStringLiteral("on"));
    lamp.offAction = appControl(QStringLiteral("off"));
    lamp.statusCheck = StatusCheck{StatusCheck::Kind::appControl, QStringLiteral("fuzz.app"),
                                   std::nullopt, QStringLiteral("c")};
    Control gauge;
    gauge.id = QStringLiteral("gauge");
    gauge.title = QStringLiteral("Gauge");
    gauge.type = ControlType::metric;
    gauge.statusCheck = lamp.statusCheck;
    return Deck{QStringLiteral("Fuzz"), {shell, press, lamp, gauge}};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
}

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool isPaired()
{
    return host->coordinator->authenticatedClients().contains(host->client) &&
           host->coordinator->server().client(host->client).has_value() &&
           !host->device->disconnected();
}

// Ends the device's link, if any, and pairs a new one through the host's listener.
void pairDevice()
{
    host->device.reset();
    settle();
    const std::optional<quint16> port = host->coordinator->port();
    require(port.has_value());
    host->device = std::make_unique<LoopbackDevice>(*port, host->code);
    const std::optional<QUuid> client = host->device->pair(*host->coordinator);
    require(client.has_value());
    host->client = *client;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    host = new Host;
    require(host->home.isValid());
    const QString data = host->home.filePath(QStringLiteral("data"));
    const QString config = host->home.filePath(QStringLiteral("config"));
    require(QDir().mkpath(data) && QDir().mkpath(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    host->deckPath = host->home.filePath(QStringLiteral("deck.json"));
    host->deck = fuzzDeck();
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(host->deck);
    require(bytes.has_value());
    QFile file(host->deckPath);
    require(file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size());
    file.close();
    host->deckBytes = *bytes;
    qputenv("QUORVEL_DECK", QFile::encodeName(host->deckPath));
    qputenv("QUORVEL_TOKEN", host->code.normalized().toUtf8());

    host->app = new QCoreApplication(*argc, *argv);
    host->network = new Testing::FakeServiceNetwork;
    HostCoordinator::Options options;
    options.recheckAttempts = recheckAttempts;
    options.recheckDelay = recheckDelay;
    options.discovery = host->network;
    host->coordinator = new HostCoordinator(options);
    // An input's hello is refused as a wrong proof, which would shut the device's address out
    // for a growing time; the device pairs again at once instead.
    SourcePenalties::Policy noBackOff = host->coordinator->server().penalties().policy();
    noBackOff.maxPenalty = std::chrono::milliseconds(0);
    host->coordinator->server().penalties().setPolicy(noBackOff);
    host->coordinator->start();
    require(LoopbackDevice::waitUntil([] { return host->coordinator->port().has_value(); },
                                      LoopbackDevice::pairingTimeout));
    pairDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!isPaired()) {
        pairDevice();
    }
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    std::vector<QCoro::Task<>> handling;
    for (const QByteArray &line : bytes.split('\n').mid(0, maxMessages)) {
        if (const std::optional<Message> message = WireCodec::decode(line)) {
            // The server's message callback hands each message over just so.
            host->dispatched += isPaired() ? 1 : 0;
            handling.push_back(host->coordinator->handle(*message, host->client));
        }
    }
    for (QCoro::Task<> &task : handling) {
        QCoro::waitFor(task);
    }
    settle();

    HostCoordinator &coordinator = *host->coordinator;
    require(coordinator.runningControls().isEmpty());
    require(coordinator.deck() == host->deck);
    require(!coordinator.allowDeckEditing());
    require(coordinator.activity().size() <= HostCoordinator::maxActivityEntries);
    require(readFile(host->deckPath) == host->deckBytes);
    return 0;
}

// Read by the replay driver once every saved input has run: a corpus that never reaches the
// dispatcher as a paired device fuzzes nothing.
extern "C" int quorvelFuzzReplayVerdict()
{
    std::fprintf(stderr, "%lld messages reached the dispatcher from a paired device\n",
                 static_cast<long long>(host->dispatched));
    return host->dispatched > 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

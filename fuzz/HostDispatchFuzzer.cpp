// Feeds arbitrary bytes to the host as the messages of a paired device. The device pairs as any
// does, over a real TLS-PSK WebSocket link on loopback through the host's own server, and sends
// every line of the input as one WebSocket message, all in flight at once: each takes the whole
// way a device's message takes, the server's decoding and cleaning and the coordinator's hand-over
// on the next turn of the event loop included. The input's first byte decides whether deck
// editing from other devices is allowed (bit 0) and whether the lines go as binary or as text
// messages (bit 1); with editing allowed, a valid deck update is saved to the deck file and its
// history.
//
// Every request of an input is finished before the next input starts, so the link carries nothing
// over and is kept across inputs, sparing each a handshake; it is paired anew only when an input
// has made the host close it (a second hello does). A deck an input saved is replaced by the
// fuzzer's own again, so each input meets the same host. Whatever arrives, the host must not crash
// and must finish every run it starts; without editing the deck file and the deck in force stay as
// they were, with it the deck in force is the one in the file. Everything the host writes lives in
// a temporary folder, and the programs it runs are stand-ins that ignore what they are given.
#include "FakeServiceNetwork.h"
#include "LoopbackDevice.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace Quorvel;

namespace {

// Messages taken from one input; enough to fill the limit of runs at once and go past it, and
// with the fuzzer's own last request still within the limit of requests per link.
constexpr qsizetype maxMessages = HostCoordinator::maxRunningActions + 4;
static_assert(maxMessages + 1 <= RequestsInFlight::maxPerLink);
// A switch's re-check that waits next to nothing, so each input ends quickly.
constexpr double recheckDelay = 0.001;
constexpr int recheckAttempts = 2;
// Bounds the wait for an input's requests to end: far beyond what they take even under the
// sanitizers on a busy machine, so running into it means the host hangs.
constexpr std::chrono::seconds handlingTimeout{30};
// The first byte's flags.
constexpr std::uint8_t editingFlag = 0x1;
constexpr std::uint8_t binaryFlag = 0x2;

struct Host {
    QTemporaryDir home;
    QString deckPath;
    // The deck file as the fuzzer's own deck is saved, and that deck.
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
    // Inputs whose messages reached the host over a paired link and were all handled.
    qint64 handled = 0;
    // Inputs after which the deck file held a deck a device had sent.
    qint64 saves = 0;
    // Numbers the fuzzer's own closing request of each input.
    qint64 inputs = 0;
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

bool isInside(const QString &path)
{
    return QDir::cleanPath(path).startsWith(host->home.path() + QLatin1Char('/'));
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

// Puts the fuzzer's own deck back in the file and in force, as the host itself saves a deck.
void restoreDeck()
{
    const std::optional<QByteArray> bytes =
        host->coordinator->saveDeck(host->deck, QStringLiteral("Fuzzer"));
    require(bytes.has_value());
    host->deckBytes = *bytes;
    host->coordinator->applyDeck(host->deck);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    host = new Host;
    require(host->home.isValid());
    const QString data = host->home.filePath(QStringLiteral("data"));
    const QString config = host->home.filePath(QStringLiteral("config"));
    require(QDir().mkpath(data) && QDir().mkpath(config));
    qputenv("HOME", QFile::encodeName(host->home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    // No installed application is found, so none is started or asked to quit.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(data));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    // No bus: no other application's controls are reached.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(host->home.filePath(QStringLiteral("no-bus"))));
    host->deckPath = host->home.filePath(QStringLiteral("deck.json"));
    qputenv("QUORVEL_DECK", QFile::encodeName(host->deckPath));
    qputenv("QUORVEL_TOKEN", host->code.normalized().toUtf8());
    host->deck = fuzzDeck();

    host->app = new QCoreApplication(*argc, *argv);
    // Every file the host writes, deck history and settings included, is in the temporary folder.
    require(isInside(DeckStore::deckFileURL().toLocalFile()));
    require(isInside(DeckStore::historyFolderPath()));
    require(isInside(HostSettings::filePath()));
    require(isInside(HostTokenStore::folderPath()));
    host->network = new Testing::FakeServiceNetwork;
    HostCoordinator::Options options;
    options.recheckAttempts = recheckAttempts;
    options.recheckDelay = recheckDelay;
    options.discovery = host->network;
    options.idleInhibitors = [] { return std::vector<std::unique_ptr<IdleInhibitor>>(); };
    // Whatever a device's deck or test asks for, the programs run are harmless stand-ins.
    ExecutorTools tools;
    tools.zsh = QStringLiteral("/bin/true");
    tools.pgrep = QStringLiteral("/bin/false");
    tools.shortcuts = QStringLiteral("/bin/true");
    tools.osascript = host->home.filePath(QStringLiteral("no-osascript"));
    options.executorTools = tools;
    host->coordinator = new HostCoordinator(options);
    // An input's hello is refused as a wrong proof, which would shut the device's address out
    // for a growing time; the device pairs again at once instead.
    SourcePenalties::Policy noBackOff = host->coordinator->server().penalties().policy();
    noBackOff.maxPenalty = std::chrono::milliseconds(0);
    host->coordinator->server().penalties().setPolicy(noBackOff);
    host->coordinator->start();
    require(LoopbackDevice::waitUntil([] { return host->coordinator->port().has_value(); },
                                      LoopbackDevice::pairingTimeout));
    restoreDeck();
    pairDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    HostCoordinator &coordinator = *host->coordinator;
    const bool editing = (data[0] & editingFlag) != 0;
    const bool binary = (data[0] & binaryFlag) != 0;
    if (coordinator.allowDeckEditing() != editing) {
        coordinator.setAllowDeckEditing(editing);
    }
    if (!isPaired()) {
        pairDevice();
    }
    const QUuid client = host->client;
    LoopbackDevice &device = *host->device;

    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1,
                           static_cast<qsizetype>(size - 1));
    for (const QByteArray &line : bytes.split('\n').mid(0, maxMessages)) {
        if (binary) {
            device.sendBinary(line);
        } else {
            device.sendText(line);
        }
    }
    // The host hands a link's messages over in order, so once it has answered this one, every
    // line before it has been handed to the coordinator (unless the host closed the link).
    const QString last = QStringLiteral("fuzzer-last-%1").arg(++host->inputs);
    device.send(Message(Message::Test{last, std::nullopt, std::nullopt}));
    require(LoopbackDevice::waitUntil(
        [&] { return device.answered(last) || device.disconnected(); }, handlingTimeout));
    require(LoopbackDevice::waitUntil(
        [&] {
            return coordinator.requestsInFlight(client) == 0 &&
                   coordinator.runningControls().isEmpty();
        },
        handlingTimeout));
    settle();
    host->handled += device.answered(last) ? 1 : 0;

    require(coordinator.activity().size() <= HostCoordinator::maxActivityEntries);
    const QByteArray file = readFile(host->deckPath);
    if (!editing) {
        require(coordinator.deck() == host->deck);
        require(file == host->deckBytes);
        return 0;
    }
    // What is in force is what the next start loads.
    const std::optional<Deck> stored = DeckStore::parse(file);
    require(stored.has_value() && *stored == coordinator.deck());
    if (file != host->deckBytes) {
        ++host->saves;
        restoreDeck();
    }
    return 0;
}

// Read by the replay driver once every saved input has run: a corpus that never reaches the
// host over a paired link, or never gets a device's deck saved, fuzzes too little.
extern "C" int quorvelFuzzReplayVerdict()
{
    std::fprintf(stderr, "%lld inputs handled over a paired link, %lld saved a device's deck\n",
                 static_cast<long long>(host->handled), static_cast<long long>(host->saves));
    return host->handled > 0 && host->saves > 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

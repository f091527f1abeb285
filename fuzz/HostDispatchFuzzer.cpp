// Feeds arbitrary bytes to the host's dispatcher as the messages of a paired device without
// editing rights: one message per line, all in flight at once. Whatever arrives, the host must
// not crash, must finish every run it starts, and must leave the deck file and the deck in force
// as they were.
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
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
    QCoreApplication *app = nullptr;
    HostCoordinator *coordinator = nullptr;
    QUuid client = QUuid::createUuid();
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
    const PairingToken code = PairingToken::generate();
    qputenv("QUORVEL_TOKEN", code.normalized().toUtf8());

    host->app = new QCoreApplication(*argc, *argv);
    HostCoordinator::Options options;
    options.recheckAttempts = recheckAttempts;
    options.recheckDelay = recheckDelay;
    host->coordinator = new HostCoordinator(options);

    // The device connects and pairs as the server would report it; nothing listens, so the
    // host's answers go nowhere.
    HostServer &server = host->coordinator->server();
    server.onClientConnected(HostServer::Client{host->client, QStringLiteral("fuzz"), {}});
    settle();
    const QString nonce = host->coordinator->pendingNonces().value(host->client);
    require(!nonce.isEmpty());
    QCoro::waitFor(host->coordinator->handle(
        Message(Message::Hello{QStringLiteral("Fuzzer"), Message::protocolVersion,
                               code.proof(nonce), std::nullopt}),
        host->client));
    require(host->coordinator->authenticatedClients().contains(host->client));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    std::vector<QCoro::Task<>> handling;
    for (const QByteArray &line : bytes.split('\n').mid(0, maxMessages)) {
        if (const std::optional<Message> message = WireCodec::decode(line)) {
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

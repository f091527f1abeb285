#include "HostTestSupport.h"

#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::HostTest {

bool waitFor(const std::function<bool()> &condition, int milliseconds)
{
    return QTest::qWaitFor(condition, milliseconds);
}

Device::Device(quint16 port, const PairingToken &code, const QString &name)
    : m_connection(std::make_unique<HostConnection>(QStringLiteral("127.0.0.1"), port, name, code))
{
    QObject::connect(m_connection.get(), &HostConnection::eventOccurred, m_connection.get(),
                     [this](const HostConnection::Event &event) {
                         if (const auto *message = std::get_if<Message>(&event)) {
                             m_messages.push_back(*message);
                         } else if (std::get<HostConnection::Status>(event).kind ==
                                    HostConnection::Status::Kind::disconnected) {
                             m_disconnected = true;
                         }
                     });
    m_connection->start();
}

std::optional<QString> Device::waitForChallenge()
{
    const std::optional<Message::Challenge> challenge = waitForMessage<Message::Challenge>();
    if (!challenge) {
        return std::nullopt;
    }
    return challenge->nonce;
}

void Device::hello(const std::optional<QString> &auth, const std::optional<QString> &editorAuth,
                   qint64 protocolVersion)
{
    send(Message(Message::Hello{m_connection->clientName(), protocolVersion, auth, editorAuth}));
}

bool Device::pair(const PairingToken &code, const std::optional<PairingToken> &editorKey)
{
    const std::optional<QString> nonce = waitForChallenge();
    if (!nonce) {
        return false;
    }
    hello(code.proof(*nonce), editorKey ? std::optional(editorKey->proof(*nonce)) : std::nullopt);
    return waitFor([this] {
        return !received<HostInfo>().isEmpty() && !received<Deck>().isEmpty() &&
               !received<Message::StateUpdate>().isEmpty();
    });
}

void Device::send(const Message &message)
{
    m_connection->send(message);
}

std::optional<Message::ActionResult> Device::waitForResult(const QString &requestID)
{
    return waitForMessage<Message::ActionResult>(
        [&](const Message::ActionResult &result) { return result.requestID == requestID; });
}

RunGate::RunGate()
{
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("gate")));
    if (::mkfifo(path.constData(), 0600) != 0) {
        return;
    }
    // Read and write: opening does not wait for a reader, and the runs' reads wait for data
    // until this end closes. Not inherited, or the runs would hold a write end themselves.
    m_writeEnd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
}

RunGate::~RunGate()
{
    release();
}

QString RunGate::command(const QString &name) const
{
    const QString gate = m_dir.filePath(QStringLiteral("gate"));
    const QString marker = m_dir.filePath(QStringLiteral("started-") + name);
    // The gate is opened before the marker is written, so a started run always sees the release.
    return QStringLiteral("exec 3<'%1'; : > '%2'; cat <&3 > /dev/null").arg(gate, marker);
}

bool RunGate::waitForStarted(int count)
{
    return waitFor([&] {
        return QDir(m_dir.path()).entryList({QStringLiteral("started-*")}, QDir::Files).size() >=
               count;
    });
}

void RunGate::release()
{
    if (m_writeEnd >= 0) {
        ::close(m_writeEnd);
        m_writeEnd = -1;
    }
}

namespace {

// A switch's re-check in these tests waits a moment only, not the real half second.
constexpr double quickRecheckDelay = 0.05;

} // namespace

const PairingToken &TestHost::code()
{
    static const PairingToken token =
        *PairingToken::parse(QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2"));
    return token;
}

HostCoordinator::Options TestHost::quickOptions()
{
    HostCoordinator::Options options;
    options.recheckDelay = quickRecheckDelay;
    return options;
}

TestHost::TestHost(const Deck &deck) : TestHost(deck, quickOptions()) {}

TestHost::TestHost(const Deck &deck, const HostCoordinator::Options &options)
    : m_deckPath(m_deckDir.filePath(QStringLiteral("deck.json")))
{
    QDir(HostTokenStore::folderPath()).removeRecursively();
    QFile::remove(HostSettings::filePath());
    qputenv("QUORVEL_DECK", QFile::encodeName(m_deckPath));
    qputenv("QUORVEL_TOKEN", code().normalized().toUtf8());
    writeDeckFile(m_deckPath, deck);
    HostCoordinator::Options onFakeNetwork = options;
    onFakeNetwork.discovery = &m_network;
    m_coordinator = std::make_unique<HostCoordinator>(onFakeNetwork);
    m_coordinator->start();
}

TestHost::~TestHost()
{
    m_coordinator.reset();
    qunsetenv("QUORVEL_DECK");
    qunsetenv("QUORVEL_TOKEN");
}

bool TestHost::isListening()
{
    return waitFor([this] { return m_coordinator->port().has_value(); });
}

std::unique_ptr<Device> TestHost::connect(const QString &name)
{
    if (!isListening()) {
        return nullptr;
    }
    return std::make_unique<Device>(*m_coordinator->port(), code(), name);
}

std::unique_ptr<Device> TestHost::pairedDevice(const QString &name, bool localEditor)
{
    std::unique_ptr<Device> device = connect(name);
    if (!device || !device->pair(code(), localEditor ? std::optional(m_coordinator->editorKey())
                                                     : std::nullopt)) {
        return nullptr;
    }
    return device;
}

void TestHost::writeEditingSetting(bool allowed)
{
    QSettings settings(HostSettings::filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(HostCoordinator::allowDeckEditingKey), allowed);
}

Action shellAction(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

Control shellButton(const QString &id, const QString &command)
{
    Control control;
    control.id = id;
    control.title = QStringLiteral("Button ") + id;
    control.type = ControlType::button;
    control.action = shellAction(command);
    return control;
}

Control shellToggle(const QString &id, const QString &onCommand,
                    const std::optional<QString> &offCommand, const QString &checkCommand)
{
    Control control;
    control.id = id;
    control.title = QStringLiteral("Switch ") + id;
    control.type = ControlType::toggle;
    control.onAction = shellAction(onCommand);
    if (offCommand) {
        control.offAction = shellAction(*offCommand);
    }
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::shellExitCode, checkCommand, std::nullopt, std::nullopt};
    return control;
}

bool writeDeckFile(const QString &path, const Deck &deck)
{
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
    QSaveFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(*bytes);
    return file.commit();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

} // namespace Quorvel::HostTest

#include "RunnerHost.h"

#include "ClientTestSupport.h"

#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QTest>

#include <csignal>

namespace Quorvel::ClientTest {

namespace {

const QString runnerName = QStringLiteral("Runner Host");

// The runner's version of the protocol, as its advertisement would carry it.
constexpr int runnerProtocolVersion = 2;

} // namespace

RunnerHost::RunnerHost(const Deck &deck, const Preparation &prepare)
    : m_deckPath(m_dir.filePath(QStringLiteral("deck.json")))
{
    m_ready = writeDeck(deck) && (!prepare || prepare(*this));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVEL_DECK"), m_deckPath);
    environment.insert(QStringLiteral("QUORVEL_TOKEN"), firstCode().normalized());
    environment.insert(QStringLiteral("QUORVEL_RUNNER_HOME"), home());
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(HOST_RUNNER), {QStringLiteral("--allow-deck-editing")});
}

RunnerHost::~RunnerHost()
{
    resume();
    m_process.terminate();
    if (!m_process.waitForFinished(limitMs))
        m_process.kill();
}

std::optional<DiscoveredHost> RunnerHost::listing()
{
    static_cast<void>(QTest::qWaitFor(
        [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
        limitMs));
    const QByteArray line = m_process.readLine().trimmed();
    if (!m_ready || !line.startsWith("port "))
        return std::nullopt;
    DiscoveredHost host;
    host.name = runnerName;
    host.id = runnerName + QStringLiteral("._quorvel._tcp.local.");
    host.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), quint16(line.mid(5).toUInt())};
    host.protocolVersion = runnerProtocolVersion;
    return host;
}

QString RunnerHost::home() const
{
    return filePath(QStringLiteral("home"));
}

QString RunnerHost::filePath(const QString &name) const
{
    return m_dir.filePath(name);
}

bool RunnerHost::writeDeck(const Deck &deck) const
{
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
    QSaveFile file(m_deckPath);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() &&
           file.commit();
}

std::optional<Deck> RunnerHost::readDeck() const
{
    QFile file(m_deckPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DeckStore::parse(file.readAll());
}

int RunnerHost::historyCopies() const
{
    return int(
        QDir(home() + QStringLiteral("/data/Quorvel/deck-history")).entryList(QDir::Files).size());
}

void RunnerHost::turnEditingOff() const
{
    QSettings settings(home() + QStringLiteral("/config/Quorvel/Quorvel.ini"),
                       QSettings::IniFormat);
    settings.setValue(QLatin1String(HostCoordinator::allowDeckEditingKey), false);
    settings.sync();
}

void RunnerHost::pause()
{
    signal(SIGSTOP);
}

void RunnerHost::resume()
{
    signal(SIGCONT);
}

// Only ever the runner itself: without a process there is no id to signal.
void RunnerHost::signal(int number)
{
    if (m_process.processId() > 0)
        ::kill(pid_t(m_process.processId()), number);
}

} // namespace Quorvel::ClientTest

// The application as a user meets it, side by side with its baseline in one run, inside private
// sandboxes (a network namespace with its own avahi-daemon, a D-Bus session with its own
// keyring), with a real host in this process:
//   1. `quorvel` started with both roles on until its menu shows the paired host's deck, against
//      a bare TLS-PSK connect plus hello to the same host (goal: at most 500 ms);
//   2. the program's resident memory, idle, both roles on, with one remote connected to its own
//      host (goal: at most 80 MiB);
//   3. the host restarted on a new port: time until the menu shows the deck again (goal: 3 s).
//
// Usage: app_bench [starts]   (as root, from a Release build)

#include "QuorvelCore/Keychain/KeychainTokenStore.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Quorvel;

namespace {

constexpr int defaultStarts = 5;
constexpr int baselineSamples = 20;
// Beyond anything the measured steps take; a step that runs into it has failed.
constexpr int stepLimitMs = 30000;
// Time for the program to settle after its last connection before its memory is read.
constexpr int idleSettleMs = 3000;
constexpr double kibPerMib = 1024.0;
constexpr double startGoalMs = 500;
constexpr double memoryGoalMib = 80;
constexpr double reconnectGoalMs = 3000;
const QByteArray deckShownLine = "The menu shows the deck of";

// Runs this program again inside the sandboxes (and a private HOME), unless it already is.
int reenterSandboxes(int argc, char *argv[])
{
    if (std::getenv("QUORVEL_MDNS_SANDBOX") && std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return 0;
    const std::string scripts = std::string(QUORVEL_SOURCE_DIR) + "/scripts/";
    const std::string home = scripts + "test-home.sh", mdns = scripts + "sandbox-mdns.sh",
                      dbus = scripts + "sandbox-dbus.sh";
    std::vector<char *> arguments{const_cast<char *>(home.c_str()),
                                  const_cast<char *>(mdns.c_str()),
                                  const_cast<char *>(dbus.c_str())};
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(home.c_str(), arguments.data());
    std::perror("app_bench: could not enter the sandboxes");
    return 1;
}

bool waitUntil(const std::function<bool()> &done, int limitMs = stepLimitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A link that answers the host's challenge and waits for the deck: what any remote must do.
class BareRemote {
public:
    BareRemote(quint16 port, const PairingToken &code)
        : m_connection(QStringLiteral("127.0.0.1"), port, QStringLiteral("Bench"), code)
    {
        QObject::connect(&m_connection, &HostConnection::eventOccurred, &m_connection,
                         [this, code](const HostConnection::Event &event) {
                             const Message *message = std::get_if<Message>(&event);
                             if (!message)
                                 return;
                             if (const auto *challenge = message->as<Message::Challenge>()) {
                                 Message::Hello hello;
                                 hello.clientName = QStringLiteral("Bench");
                                 hello.protocolVersion = 2;
                                 hello.auth = code.proof(challenge->nonce);
                                 m_connection.send(Message(hello));
                             } else if (message->as<Deck>()) {
                                 m_hasDeck = true;
                             }
                         });
        m_connection.start();
    }
    bool waitForDeck()
    {
        return waitUntil([this] { return m_hasDeck; });
    }

private:
    HostConnection m_connection;
    bool m_hasDeck = false;
};

// The program in a home of its own, its roles both on, its log read as it comes.
class Program {
public:
    explicit Program(const QString &binary) : m_binary(binary)
    {
        QSettings settings(m_home.filePath(QStringLiteral(".config/Quorvel/Quorvel.ini")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("Quorvel.role.remote"), true);
        settings.setValue(QStringLiteral("Quorvel.role.hosting"), true);
        settings.setValue(QStringLiteral("Quorvel.onboarded"), true);
    }
    ~Program() { stop(); }

    void start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = m_home.path();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("Quorvel.App.debug=true"));
        environment.remove(QStringLiteral("QUORVEL_TOKEN"));
        m_process.setProcessEnvironment(environment);
        m_log.clear();
        m_shown = 0;
        m_process.start(m_binary, {});
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        m_process.waitForFinished(stepLimitMs);
    }
    // Waits for the menu to show a deck once more than it has.
    bool waitForDeckShown()
    {
        const int wanted = m_shown + 1;
        const bool ok = waitUntil([this, wanted] {
            m_log += m_process.readAllStandardError();
            m_shown = int(m_log.count(deckShownLine));
            return m_shown >= wanted;
        });
        return ok;
    }
    qint64 pid() const { return m_process.processId(); }
    QString dataFolder() const { return m_home.filePath(QStringLiteral(".local/share/Quorvel")); }

private:
    QString m_binary;
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_log;
    int m_shown = 0;
};

std::optional<double> residentMib(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / kibPerMib;
    }
    return std::nullopt;
}

bool startHost(std::unique_ptr<HostCoordinator> &host)
{
    host = std::make_unique<HostCoordinator>();
    host->start();
    return waitUntil([&host] {
        return host->port().has_value() &&
               host->localNetwork() == LocalNetworkMonitor::Status::discoverable;
    });
}

int fail(const char *what)
{
    std::fprintf(stderr, "app_bench: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = reenterSandboxes(argc, argv))
        return status;
    QCoreApplication application(argc, argv);
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultStarts;

    const PairingToken code = PairingToken::generate();
    qputenv("QUORVEL_TOKEN", code.normalized().toUtf8());
    std::unique_ptr<HostCoordinator> host;
    if (!startHost(host))
        return fail("the host did not come up");
    bool saved = false;
    QObject context;
    KeychainTokenStore().save(code, host->hostID(), &context, [&saved](bool ok) { saved = ok; });
    if (!waitUntil([&saved] { return saved; }))
        return fail("the pairing code was not saved");

    std::vector<double> bare;
    for (int i = 0; i < baselineSamples; ++i) {
        QElapsedTimer timer;
        timer.start();
        BareRemote remote(*host->port(), code);
        if (!remote.waitForDeck())
            return fail("the bare connection got no deck");
        bare.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    Program program(QStringLiteral(QUORVEL_PROGRAM));
    std::vector<double> startTimes;
    for (int i = 0; i < starts; ++i) {
        QElapsedTimer timer;
        timer.start();
        program.start();
        if (!program.waitForDeckShown())
            return fail("the program never showed the deck");
        startTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (i + 1 < starts)
            program.stop();
    }

    // One remote connected to the program's own host, then idle.
    QFile status(program.dataFolder() + u'/' + QLatin1String(HostStatusFile::fileName));
    QFile token(program.dataFolder() + QStringLiteral("/pairing-token"));
    if (!waitUntil([&] { return status.exists() && token.exists(); }))
        return fail("the program's own host did not come up");
    status.open(QIODevice::ReadOnly);
    token.open(QIODevice::ReadOnly);
    const int ownPort = QJsonDocument::fromJson(status.readAll()).object().value("port").toInt();
    const std::optional<PairingToken> ownCode =
        PairingToken::parse(QString::fromUtf8(token.readAll()).trimmed());
    if (!ownPort || !ownCode)
        return fail("the program's own host has no port or code");
    BareRemote ownRemote(quint16(ownPort), *ownCode);
    if (!ownRemote.waitForDeck())
        return fail("no remote could connect to the program's own host");
    QTimer::singleShot(idleSettleMs, &application, &QCoreApplication::quit);
    application.exec();
    const std::optional<double> memory = residentMib(program.pid());
    if (!memory)
        return fail("the program's memory could not be read");

    // The host goes and comes back on a new port.
    const quint16 oldPort = *host->port();
    host->stop();
    host.reset();
    QElapsedTimer restart;
    restart.start();
    if (!startHost(host))
        return fail("the host did not come back");
    const double hostBackMs = double(restart.nsecsElapsed()) / 1e6;
    if (!program.waitForDeckShown())
        return fail("the program never showed the deck again");
    const double reconnectMs = double(restart.nsecsElapsed()) / 1e6;

    const double startMs = median(startTimes);
    const double bareMs = median(bare);
    std::printf("start to deck shown: %.1f ms (median of %d; goal <= %.0f ms)\n", startMs, starts,
                startGoalMs);
    std::printf("bare TLS-PSK connect + hello to deck: %.1f ms (median of %d); ratio %.1fx\n",
                bareMs, baselineSamples, startMs / bareMs);
    std::printf("idle resident memory, both roles, one remote connected: %.1f MiB (goal <= %.0f "
                "MiB)\n",
                *memory, memoryGoalMib);
    std::printf("host restarted (port %u -> %u, back after %.0f ms): deck shown again after "
                "%.0f ms (goal <= %.0f ms)\n",
                oldPort, *host->port(), hostBackMs, reconnectMs, reconnectGoalMs);
    program.stop();
    host->stop();
    return 0;
}

// A real host for end-to-end tests. Serves the deck at QUORVEL_DECK (the sample deck when unset)
// with the pairing code in QUORVEL_TOKEN, keeping its data and settings in a temporary folder
// that goes with it. Prints "port N" once the listener is ready and serves until SIGTERM or
// SIGINT, then stops the host and exits 0. QUORVEL_RUNNER_HOME, when set, names the folder to
// keep data and settings in instead, so that a test can read the deck history or change a
// setting while the host runs.
//
// Usage: host-runner [--allow-deck-editing]
//   --allow-deck-editing  turns on editing from other devices before the host starts.

#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Quorvel;

namespace {

// Exit statuses besides 0: the caller got something wrong, or the host could not listen.
constexpr int usageError = 2;
constexpr int listenerFailed = 1;

// The signal handler's only way to the event loop: a byte written to this socket pair.
int signalSockets[2] = {-1, -1};

void handleSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

bool quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        return false;
    }
    auto *notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = handleSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

// Points the data and settings folders into `home`, before anything looks them up.
bool useFolders(const QString &home)
{
    const QString data = home + QStringLiteral("/data");
    const QString config = home + QStringLiteral("/config");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    return QDir().mkpath(data) && QDir().mkpath(config);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir temporaryHome;
    const QString chosenHome = qEnvironmentVariable("QUORVEL_RUNNER_HOME");
    const QString home = chosenHome.isEmpty() ? temporaryHome.path() : chosenHome;
    if (!temporaryHome.isValid() || !useFolders(home)) {
        std::fprintf(stderr, "host-runner: cannot make a temporary folder\n");
        return usageError;
    }
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString allowEditing = QStringLiteral("--allow-deck-editing");
    if (!(arguments.isEmpty() || arguments == QStringList{allowEditing})) {
        std::fprintf(stderr, "usage: host-runner [--allow-deck-editing]\n");
        return usageError;
    }
    if (!HostTokenStore::isSetByEnvironment()) {
        std::fprintf(stderr, "host-runner: QUORVEL_TOKEN must hold a valid pairing code\n");
        return usageError;
    }
    if (!quitOnSignals(app)) {
        std::fprintf(stderr, "host-runner: cannot watch for signals\n");
        return usageError;
    }
    if (arguments.contains(allowEditing)) {
        HostSettings::store(HostCoordinator::allowDeckEditingKey, true);
    }

    HostCoordinator coordinator;
    bool announced = false;
    QObject::connect(&coordinator, &HostCoordinator::listenerStatusChanged, &app, [&] {
        const QString status = coordinator.listenerStatus();
        if (!announced && status.startsWith(QStringLiteral("listening on :"))) {
            announced = true;
            std::printf("port %u\n", unsigned(coordinator.port().value_or(0)));
            std::fflush(stdout);
        } else if (status.startsWith(QStringLiteral("failed: "))) {
            std::fprintf(stderr, "host-runner: %s\n", qUtf8Printable(status));
            app.exit(listenerFailed);
        }
    });
    coordinator.start();
    if (coordinator.listenerStatus().startsWith(QStringLiteral("failed: "))) {
        std::fprintf(stderr, "host-runner: %s\n", qUtf8Printable(coordinator.listenerStatus()));
        return listenerFailed;
    }
    const int status = app.exec();
    coordinator.stop();
    return status;
}

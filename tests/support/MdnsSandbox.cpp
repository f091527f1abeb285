#include "MdnsSandbox.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace Quorvel::Testing {
namespace {

// How long a daemon may take to stop or to answer after a start.
constexpr int daemonWaitMilliseconds = 10000;
// Pause between two checks of a daemon's state.
constexpr int pollMilliseconds = 20;

const QString busPidFile = QStringLiteral("/run/dbus/pid");
const QString busSocket = QStringLiteral("/run/dbus/system_bus_socket");

QString configPath()
{
    return qEnvironmentVariable("QUORVEL_AVAHI_CONFIG");
}

int run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(daemonWaitMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool avahiRunning()
{
    return run(QStringLiteral("avahi-daemon"), {QStringLiteral("-c")}) == 0;
}

// Waits for a daemon's state outside any event loop: the code under test must notice the change
// through its own sockets, not through this helper.
template<typename Condition> bool waitUntil(Condition condition)
{
    QDeadlineTimer deadline(daemonWaitMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(pollMilliseconds);
    }
    return true;
}

qint64 busPid()
{
    QFile file(busPidFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return file.readAll().trimmed().toLongLong();
}

} // namespace

bool inMdnsSandbox()
{
    return qEnvironmentVariable("QUORVEL_MDNS_SANDBOX") == QLatin1String("1") &&
           !configPath().isEmpty();
}

bool stopAvahiDaemon()
{
    if (!inMdnsSandbox()) {
        return false;
    }
    run(QStringLiteral("avahi-daemon"), {QStringLiteral("-k")});
    return waitUntil([] { return !avahiRunning(); });
}

bool startAvahiDaemon()
{
    if (!inMdnsSandbox()) {
        return false;
    }
    const int status = run(QStringLiteral("avahi-daemon"),
                           {QStringLiteral("-D"), QStringLiteral("--no-drop-root"),
                            QStringLiteral("--no-chroot"), QStringLiteral("-f"), configPath()});
    return status == 0 && waitUntil(avahiRunning);
}

bool stopSystemBus()
{
    const qint64 pid = busPid();
    if (!inMdnsSandbox() || pid <= 0 || ::kill(pid_t(pid), SIGTERM) != 0) {
        return false;
    }
    return waitUntil([pid] { return ::kill(pid_t(pid), 0) != 0; }) &&
           waitUntil([] { return !avahiRunning(); });
}

bool startSystemBus()
{
    if (!inMdnsSandbox()) {
        return false;
    }
    QFile::remove(busPidFile);
    QFile::remove(busSocket);
    if (run(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--system"), QStringLiteral("--fork")}) != 0) {
        return false;
    }
    return waitUntil([] { return QFile::exists(busSocket); }) && startAvahiDaemon();
}

bool ensureDaemonsRunning()
{
    if (!inMdnsSandbox()) {
        return false;
    }
    const qint64 pid = busPid();
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0) {
        return startSystemBus();
    }
    return avahiRunning() || startAvahiDaemon();
}

} // namespace Quorvel::Testing

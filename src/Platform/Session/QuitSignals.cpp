#include "Platform/Session/QuitSignals.h"

#include "Platform/Session/SessionLogging.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Quorvel {

namespace {

constexpr std::array quitSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read on the event loop; the handler may only make async-signal-safe
// calls, so it writes one byte and returns.
int signalSockets[2] = {-1, -1};

void handleSignal(int signalNumber)
{
    const int saved = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        qCWarning(lcInstance) << "No socket for signals; they end the program at once";
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : quitSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (const int signalNumber : quitSignals)
        ::signal(signalNumber, SIG_DFL);
    m_notifier.reset();
    for (int &socket : signalSockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}

void QuitSignals::readSignal()
{
    char byte = 0;
    while (::read(signalSockets[1], &byte, 1) == 1)
        emit quitRequested(int(byte));
}

} // namespace Quorvel

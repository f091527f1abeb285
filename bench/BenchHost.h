#pragma once

// A host in a process of its own for the benchmarks that measure the host as devices see it: the
// program runs itself with serveFlag, which serves QUORVEL_DECK (or the sample deck) with the code
// in QUORVEL_TOKEN from a temporary data folder and prints "port N" once it listens.

#include "FakeServiceNetwork.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

namespace Quorvel::Bench {

// Longest wait for any one step before a benchmark gives up.
inline constexpr std::chrono::seconds stepLimit{30};
inline constexpr double kibPerMib = 1024.0;

inline const QString serveFlag = QStringLiteral("--serve");
// The button the bench decks hold; a device counts the busy marks of its state.
inline const QString buttonID = QStringLiteral("true");

// Runs the event loop until the condition holds; false when the step limit passed first.
inline bool spinUntil(const std::function<bool()> &condition,
                      std::chrono::milliseconds limit = stepLimit)
{
    QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

inline int serve()
{
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QDir().mkpath(home.filePath(QStringLiteral("data")));
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    Testing::FakeServiceNetwork network;
    HostCoordinator::Options options;
    options.discovery = &network;
    HostCoordinator coordinator(options);
    QObject::connect(&coordinator, &HostCoordinator::listenerStatusChanged, [&coordinator] {
        if (coordinator.listenerStatus().startsWith(QStringLiteral("listening on :"))) {
            std::printf("port %u\n", unsigned(coordinator.port().value_or(0)));
            std::fflush(stdout);
        }
    });
    coordinator.start();
    return QCoreApplication::exec();
}

// A host process of this program; killed when dropped.
class HostProcess {
public:
    explicit HostProcess(const std::optional<QString> &deckPath, const PairingToken &code)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUORVEL_DECK"));
        if (deckPath) {
            environment.insert(QStringLiteral("QUORVEL_DECK"), *deckPath);
        }
        environment.insert(QStringLiteral("QUORVEL_TOKEN"), code.normalized());
        m_process.setProcessEnvironment(environment);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QCoreApplication::applicationFilePath(), {serveFlag});
    }
    ~HostProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    std::optional<quint16> port()
    {
        if (!spinUntil([this] { return m_process.canReadLine(); })) {
            return std::nullopt;
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("port ")) {
            return std::nullopt;
        }
        return quint16(line.mid(5).toUInt());
    }

    // The resident set in MiB, from the kernel's account of the process.
    double residentMiB() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly)) {
            return 0;
        }
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').first().toDouble() / kibPerMib;
            }
        }
        return 0;
    }

private:
    QProcess m_process;
};

// A paired device that counts what it receives.
class Device {
public:
    Device(quint16 port, const PairingToken &code)
        : m_connection(QStringLiteral("127.0.0.1"), port, QStringLiteral("Bench"), code)
    {
        QObject::connect(&m_connection, &HostConnection::eventOccurred, &m_connection,
                         [this, code](const HostConnection::Event &event) {
                             if (const auto *message = std::get_if<Message>(&event)) {
                                 receive(*message, code);
                             }
                         });
        m_connection.start();
    }

    void send(const Message &message) { m_connection.send(message); }

    bool paired = false;
    int results = 0;
    int busyMarks = 0;

private:
    void receive(const Message &message, const PairingToken &code)
    {
        if (const auto *challenge = message.as<Message::Challenge>()) {
            send(Message(Message::Hello{QStringLiteral("Bench"), Message::protocolVersion,
                                        code.proof(challenge->nonce), std::nullopt}));
        } else if (message.as<Message::StateUpdate>()) {
            paired = true;
            for (const ControlState &state : message.as<Message::StateUpdate>()->states) {
                busyMarks += state.id == buttonID && state.isBusy;
            }
        } else if (message.as<Message::ActionResult>()) {
            ++results;
        }
    }

    HostConnection m_connection;
};

} // namespace Quorvel::Bench

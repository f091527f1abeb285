#pragma once

#include "FakeServiceNetwork.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Quorvel::HostTest {

// Long enough for a run of zsh under the sanitizers on a busy machine.
inline constexpr int waitMilliseconds = 15000;

// Waits on the event loop until the condition holds; false when it never did.
bool waitFor(const std::function<bool()> &condition, int milliseconds = waitMilliseconds);

// A remote's end of the link over real TLS on loopback, recording everything the host sends.
class Device {
public:
    Device(quint16 port, const PairingToken &code, const QString &name = QStringLiteral("Phone"));
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    // The nonce of the host's challenge, once it has come.
    std::optional<QString> waitForChallenge();
    void hello(const std::optional<QString> &auth, const std::optional<QString> &editorAuth = {},
               qint64 protocolVersion = Message::protocolVersion);
    // Answers the challenge with the code's proof (and the editor key's, when given) and waits
    // for the host's welcome: host info, deck and states.
    bool pair(const PairingToken &code, const std::optional<PairingToken> &editorKey = {});
    void send(const Message &message);

    const std::vector<Message> &messages() const { return m_messages; }
    bool disconnected() const { return m_disconnected; }
    template<typename T> QList<T> received() const
    {
        QList<T> found;
        for (const Message &message : m_messages) {
            if (const T *payload = message.template as<T>()) {
                found.append(*payload);
            }
        }
        return found;
    }
    // Waits for the first T that matches, counting only those that arrive after `skip` of them.
    template<typename T>
    std::optional<T> waitForMessage(const std::function<bool(const T &)> &matches = {},
                                    qsizetype skip = 0)
    {
        std::optional<T> found;
        waitFor([&] {
            const QList<T> all = received<T>();
            for (qsizetype i = skip; i < all.size(); ++i) {
                if (!matches || matches(all[i])) {
                    found = all[i];
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    std::optional<Message::ActionResult> waitForResult(const QString &requestID);

private:
    std::unique_ptr<HostConnection> m_connection;
    std::vector<Message> m_messages;
    bool m_disconnected = false;
};

// Shell actions that block until the test lets them go: each opens a FIFO whose write end the
// test holds, says it started, and waits for the end of the FIFO's data.
class RunGate {
public:
    RunGate();
    ~RunGate();

    bool isValid() const { return m_writeEnd >= 0; }
    // The command of one blocking run, named for its start marker.
    QString command(const QString &name) const;
    // Waits until that many runs have started and wait on the gate.
    bool waitForStarted(int count);
    // Lets every waiting run finish successfully.
    void release();

private:
    QTemporaryDir m_dir;
    int m_writeEnd = -1;
};

// A started coordinator on loopback, serving `deck` from a deck file of its own, with the code
// `code` fixed by the environment, fresh settings and data, and quick re-checks after a switch.
// It advertises on an in-process network of its own.
class TestHost {
public:
    static const PairingToken &code();

    explicit TestHost(const Deck &deck);
    TestHost(const Deck &deck, const HostCoordinator::Options &options);
    // Quick re-checks after a switch, so tests need not wait the real half seconds.
    static HostCoordinator::Options quickOptions();
    ~TestHost();

    HostCoordinator &coordinator() { return *m_coordinator; }
    const QString &deckPath() const { return m_deckPath; }
    // Whether the listener came up.
    bool isListening();
    std::unique_ptr<Device> connect(const QString &name = QStringLiteral("Phone"));
    // A device that has passed hello; null when it could not.
    std::unique_ptr<Device> pairedDevice(const QString &name = QStringLiteral("Phone"),
                                         bool localEditor = false);
    // Sets the remote-editing setting in the settings file, as a user editing it would.
    static void writeEditingSetting(bool allowed);

private:
    QTemporaryDir m_deckDir;
    QString m_deckPath;
    Testing::FakeServiceNetwork m_network;
    std::unique_ptr<HostCoordinator> m_coordinator;
};

Control shellButton(const QString &id, const QString &command);
Control shellToggle(const QString &id, const QString &onCommand,
                    const std::optional<QString> &offCommand, const QString &checkCommand);
Action shellAction(const QString &command);

// Writes the deck where QUORVEL_DECK points, as the deck file.
bool writeDeckFile(const QString &path, const Deck &deck);
QByteArray readFile(const QString &path);

} // namespace Quorvel::HostTest

#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace Quorvel {

// Start at login as a systemd user unit: the unit file under $XDG_CONFIG_HOME/systemd/user that
// starts this program in the graphical session, enabled and disabled with `systemctl --user`.
// Its state is always read back from systemd, never remembered here.
class LoginAgentUnit {
public:
    enum class Status {
        // No unit file, or systemd does not know it.
        notFound,
        // The unit file exists but is not enabled.
        notRegistered,
        enabled,
        // Waiting for the user's approval: never happens with systemd, kept so callers that test
        // for it read the same on every platform.
        requiresApproval,
    };

    // The agent's name; the unit puts it in agentVariable so the agent knows itself.
    static constexpr char label[] = "com.vantrel.quorvel.agent";
    static constexpr char unitName[] = "com.vantrel.quorvel.agent.service";
    static constexpr char agentVariable[] = "QUORVEL_LOGIN_AGENT";
    // What units written by earlier versions set instead; such a unit still starts the agent
    // until start() rewrites it.
    static constexpr char earlierAgentVariable[] = "XPC_SERVICE_NAME";
    // systemctl answers at once offline; a user manager that hangs must not stall the program.
    static constexpr std::chrono::milliseconds defaultCommandTimeout{10000};

    struct Options {
        // The systemctl to run; tests put a stand-in here.
        QString systemctl = QStringLiteral("systemctl");
        // Where the unit file goes; empty means $XDG_CONFIG_HOME/systemd/user.
        QString unitFolder;
        // The program the unit starts; empty means this process's executable.
        QString executable;
        std::chrono::milliseconds commandTimeout = defaultCommandTimeout;
    };

    LoginAgentUnit();
    explicit LoginAgentUnit(Options options);

    // What `systemctl --user is-enabled` says of the unit.
    Status status() const;
    // Writes the unit file and enables it. False with the reason in error when that failed.
    bool registerAgent(QString *error = nullptr) const;
    // Disables the unit and removes its file. False with the reason in error when it was not
    // registered or systemctl refused.
    bool unregisterAgent(QString *error = nullptr) const;
    // Starts the agent now. A unit that is not unitText() (the program was moved, or an earlier
    // version wrote it) is rewritten first and systemd is told to reload it.
    bool start(QString *error = nullptr) const;

    QString unitPath() const;
    QString executable() const;
    // The unit file's text for the executable.
    QString unitText() const;
    // Whether the unit file exists and is unitText(): names this executable, as this version
    // writes it.
    bool unitMatchesExecutable() const;

    // Whether this process was started as the agent: agentVariable, or earlierAgentVariable,
    // equals the label exactly.
    static bool isRunningAsAgent();
    // A path as one word of a systemd command line: quoted, with quotes, backslashes, "%" and "$"
    // escaped.
    static QString quotedExecPath(const QString &path);
    // A path as a condition's value: taken whole, unquoted, with "%" escaped.
    static QString conditionPath(const QString &path);

private:
    struct Result {
        bool ok = false;
        QString output;
        QString error;
    };
    Result systemctl(const QStringList &arguments) const;
    bool writeUnit(QString *error) const;

    Options m_options;
};

} // namespace Quorvel

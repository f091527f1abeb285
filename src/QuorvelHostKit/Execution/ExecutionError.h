#pragma once

#include <QString>

namespace Quorvel {

// Why a run produced no result. The description is what the host shows and sends.
class ExecutionError {
public:
    enum class Kind {
        timedOut,
        launchFailed,
        // Its owner no longer wanted the outcome, so the program was stopped.
        stopped,
    };

    static ExecutionError timedOut(double seconds);
    static ExecutionError launchFailed(const QString &reason);
    static ExecutionError stopped();

    Kind kind() const { return m_kind; }
    // The time-out in seconds for timedOut; 0 otherwise.
    double seconds() const { return m_seconds; }
    // The system's reason for launchFailed; empty otherwise.
    QString reason() const { return m_reason; }

    // "timed out after 60s" (whole seconds, truncated), "launch failed: " and the reason, or
    // "stopped".
    QString description() const;

    friend bool operator==(const ExecutionError &, const ExecutionError &) = default;

private:
    ExecutionError(Kind kind, double seconds, const QString &reason);

    Kind m_kind;
    double m_seconds;
    QString m_reason;
};

} // namespace Quorvel

#include "QuorvelHostKit/Execution/ExecutionError.h"

#include <cmath>

namespace Quorvel {

ExecutionError::ExecutionError(Kind kind, double seconds, const QString &reason)
    : m_kind(kind), m_seconds(seconds), m_reason(reason)
{}

ExecutionError ExecutionError::timedOut(double seconds)
{
    return ExecutionError(Kind::timedOut, seconds, QString());
}

ExecutionError ExecutionError::launchFailed(const QString &reason)
{
    return ExecutionError(Kind::launchFailed, 0, reason);
}

ExecutionError ExecutionError::stopped()
{
    return ExecutionError(Kind::stopped, 0, QString());
}

QString ExecutionError::description() const
{
    switch (m_kind) {
    case Kind::timedOut:
        // Printed as a decimal without a conversion to an integer, so no value can overflow;
        // adding zero turns the negative zero of a time-out just below zero into "0".
        return QStringLiteral("timed out after %1s")
            .arg(QString::number(std::trunc(m_seconds) + 0.0, 'f', 0));
    case Kind::launchFailed:
        return QStringLiteral("launch failed: ") + m_reason;
    case Kind::stopped:
        return QStringLiteral("stopped");
    }
    return QString();
}

} // namespace Quorvel

#include "QuorvelHostKit/Execution/ExecutionResult.h"

namespace Quorvel {

QString ExecutionResult::summary() const
{
    const QString out = standardOutput.trimmed();
    const QString err = standardError.trimmed();
    if (exitCode == 0)
        return out.isEmpty() ? QStringLiteral("ok") : out;
    if (!err.isEmpty())
        return err;
    if (!out.isEmpty())
        return out;
    return QStringLiteral("exit %1").arg(exitCode);
}

} // namespace Quorvel

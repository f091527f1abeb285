#include "QuorvelHostKit/Service/RecheckStep.h"

namespace Quorvel {

RecheckStep recheckStep(qint64 attempt, qsizetype connectedPairedDevices)
{
    if (attempt % listenerRestartEvery != 0 || connectedPairedDevices > 0) {
        return RecheckStep::readvertise;
    }
    return RecheckStep::restartListener;
}

} // namespace Quorvel

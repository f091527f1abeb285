#include "QuorvelHostKit/Execution/ExitGate.h"

namespace Quorvel {

bool ExitGate::resolve(Outcome outcome)
{
    if (m_outcome)
        return false;
    m_outcome = outcome;
    return true;
}

} // namespace Quorvel

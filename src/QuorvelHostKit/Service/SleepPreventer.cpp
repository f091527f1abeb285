#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "Platform/Power/LogindInhibitor.h"

namespace Quorvel {

void SleepPreventer::setActive(bool active)
{
    if (active && !m_assertion) {
        m_assertion = LogindInhibitor::inhibit(QStringLiteral("idle"), QStringLiteral("Quorvel"),
                                               QString::fromUtf8(reason), QStringLiteral("block"));
    } else if (!active) {
        m_assertion.reset();
    }
}

} // namespace Quorvel

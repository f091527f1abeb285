#include "QuorvelCore/Link/RefusalLog.h"

#include <utility>

namespace Quorvel {

RefusalLog::RefusalLog(LinkClock clock, std::chrono::milliseconds window)
    : m_clock(std::move(clock)), m_window(window)
{}

bool RefusalLog::note(const QHostAddress &source)
{
    const auto now = m_clock();
    const auto it = m_windows.find(source);
    if (it == m_windows.end()) {
        m_windows.insert(source, Window{now, 0});
        return true;
    }
    if (now - it->start >= m_window) {
        // A window that ended before takeEnded() saw it still owes its summary: the refusals
        // go on being counted, in a new window, rather than lost.
        const bool owesSummary = it->unlogged > 0;
        *it = Window{now, owesSummary ? it->unlogged + 1 : 0};
        return !owesSummary;
    }
    ++it->unlogged;
    return false;
}

QList<RefusalLog::Summary> RefusalLog::takeEnded()
{
    const auto now = m_clock();
    QList<Summary> ended;
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (now - it->start < m_window) {
            ++it;
            continue;
        }
        if (it->unlogged > 0)
            ended.append(Summary{it.key(), it->unlogged});
        it = m_windows.erase(it);
    }
    return ended;
}

} // namespace Quorvel

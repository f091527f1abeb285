#pragma once

#include "QuorvelCore/Link/LinkClock.h"

#include <QHash>
#include <QHostAddress>
#include <QList>

#include <chrono>

namespace Quorvel {

// Keeps a flood of refusals from flooding the log: the first refusal of each source address in a
// window is logged in full, the others of that window are only counted and told as one summary
// line once the window has ended.
class RefusalLog {
public:
    static constexpr std::chrono::minutes defaultWindow{1};

    struct Summary {
        QHostAddress source;
        // Refusals counted, not logged, in the window.
        int unlogged = 0;
        friend bool operator==(const Summary &a, const Summary &b) = default;
    };

    explicit RefusalLog(LinkClock clock = systemLinkClock(),
                        std::chrono::milliseconds window = defaultWindow);

    void setClock(LinkClock clock) { m_clock = std::move(clock); }
    std::chrono::milliseconds window() const { return m_window; }

    // Whether this refusal is to be logged in full; otherwise it is counted for the summary.
    bool note(const QHostAddress &source);
    // The windows that have ended with refusals left unlogged, which are then forgotten, as are
    // ended windows without any.
    QList<Summary> takeEnded();
    bool isEmpty() const { return m_windows.isEmpty(); }

private:
    struct Window {
        std::chrono::steady_clock::time_point start;
        int unlogged = 0;
    };

    LinkClock m_clock;
    std::chrono::milliseconds m_window;
    QHash<QHostAddress, Window> m_windows;
};

} // namespace Quorvel

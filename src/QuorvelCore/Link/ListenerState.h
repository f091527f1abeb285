#pragma once

#include <QString>

namespace Quorvel {

// What the host's listener reports to its owner: listening, or given up with the reason.
struct ListenerState {
    enum class Kind { ready, failed };

    Kind kind = Kind::ready;
    // Why the listener failed; empty when ready.
    QString error;

    static ListenerState ready() { return {Kind::ready, {}}; }
    static ListenerState failed(const QString &error) { return {Kind::failed, error}; }

    friend bool operator==(const ListenerState &a, const ListenerState &b) = default;
};

} // namespace Quorvel

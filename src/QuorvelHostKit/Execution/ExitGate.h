#pragma once

#include <optional>

namespace Quorvel {

// Joins the exit of a process with the expiry of its time-out and the end of its owner: whichever
// arrives first decides the run, once; a later one finds the outcome set and changes nothing. Used
// on one thread.
class ExitGate {
public:
    enum class Outcome {
        exited,
        timedOut,
        abandoned,
    };

    // Records outcome when none is recorded yet; true when this call decided the run.
    bool resolve(Outcome outcome);

    std::optional<Outcome> outcome() const { return m_outcome; }

private:
    std::optional<Outcome> m_outcome;
};

} // namespace Quorvel

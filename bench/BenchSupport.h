#pragma once

// Helpers that more than one benchmark program needs, so that their figures are measured and
// summarised the same way and stay comparable.

#include <QElapsedTimer>

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Quorvel::Bench {

inline constexpr double nanosecondsPerMillisecond = 1e6;

// The shell the actions run in, and so the program the bare baseline starts.
inline const char *const zsh = "/bin/zsh";

// The median of nanosecond samples, in milliseconds.
inline double median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return double(values[values.size() / 2]) / nanosecondsPerMillisecond;
}

// The baseline: fork, exec and wait, with nothing collected.
inline qint64 bareForkExec()
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(zsh, zsh, "-lc", "true", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return timer.nsecsElapsed();
}

} // namespace Quorvel::Bench

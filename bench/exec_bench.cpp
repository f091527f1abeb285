// Measures what running actions and polling status checks costs beyond the programs themselves:
//  1. the median time of SystemExecutor::run for the shell action "true" next to a bare fork and
//     exec of "/bin/zsh -lc true", and their ratio (goal: at most 1.10);
//  2. the same for a shell_exit_code status check of "true";
//  3. the CPU time the state monitor spends per minute polling 100 checks of "true" every 5 s,
//     next to the CPU time of the checks' own processes (goal: under 5 %), and how much of it
//     starting the processes costs any parent (a bare posix_spawn and wait of the same program).
// Usage: exec_bench [runs] [monitor seconds]

#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Quorvel;

namespace {

// Runs of each kind for the medians.
constexpr int defaultRuns = 200;
// How long the monitor is watched; its figures are scaled to one minute.
constexpr int defaultMonitorSeconds = 60;
constexpr int monitoredChecks = 100;
constexpr double pollInterval = 5.0;
constexpr double secondsPerMinute = 60.0;
constexpr double nanosecondsPerMillisecond = 1e6;

const char *const zsh = "/bin/zsh";

double median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return double(values[values.size() / 2]) / nanosecondsPerMillisecond;
}

// The baseline: fork, exec and wait, with nothing collected.
qint64 bareForkExec()
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

// The CPU time this process spends to start and reap one "/bin/zsh -lc true" in the cheapest
// way there is, averaged over runs.
double bareSpawnCpuSeconds(int runs)
{
    char *arguments[] = {const_cast<char *>(zsh), const_cast<char *>("-lc"),
                         const_cast<char *>("true"), nullptr};
    rusage before{};
    rusage after{};
    ::getrusage(RUSAGE_SELF, &before);
    for (int i = 0; i < runs; ++i) {
        pid_t pid = 0;
        if (::posix_spawn(&pid, zsh, nullptr, nullptr, arguments, environ) == 0)
            ::waitpid(pid, nullptr, 0);
    }
    ::getrusage(RUSAGE_SELF, &after);
    const auto seconds = [](const timeval &time) { return time.tv_sec + time.tv_usec / 1e6; };
    const double spent = seconds(after.ru_utime) - seconds(before.ru_utime) +
                         seconds(after.ru_stime) - seconds(before.ru_stime);
    return spent / runs;
}

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval &time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void printRatio(const char *what, const std::vector<qint64> &ours, const std::vector<qint64> &bare)
{
    const double oursMs = median(ours);
    const double bareMs = median(bare);
    std::printf("%-22s median %.3f ms, bare fork-exec %.3f ms, ratio %.3f (goal <= 1.10)\n", what,
                oursMs, bareMs, oursMs / bareMs);
}

QCoro::Task<> compareRuns(SystemExecutor &executor, int runs)
{
    Action action;
    action.type = Action::Kind::shell;
    action.target = QStringLiteral("true");
    StatusCheck check{StatusCheck::Kind::shellExitCode, QStringLiteral("true"), std::nullopt,
                      std::nullopt};

    std::vector<qint64> actionTimes, checkTimes, bareTimes;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        co_await executor.run(action);
        actionTimes.push_back(timer.nsecsElapsed());
        timer.start();
        co_await executor.status(check);
        checkTimes.push_back(timer.nsecsElapsed());
        bareTimes.push_back(bareForkExec());
    }
    printRatio("action \"true\":", actionTimes, bareTimes);
    printRatio("status check \"true\":", checkTimes, bareTimes);
}

Deck pollingDeck()
{
    Deck deck{QStringLiteral("Bench"), {}};
    for (int i = 0; i < monitoredChecks; ++i) {
        Control control;
        control.id = QStringLiteral("check-%1").arg(i);
        control.title = control.id;
        control.type = ControlType::toggle;
        control.statusCheck = StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("true"),
                                          pollInterval, std::nullopt};
        deck.controls.push_back(control);
    }
    return deck;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Debug lines are not kept in normal use; printing one per run would be measured instead.
    QLoggingCategory::setFilterRules(QStringLiteral("Quorvel.*.debug=false"));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRuns;
    const int monitorSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultMonitorSeconds;

    SystemExecutor executor;
    QCoro::waitFor(compareRuns(executor, runs));
    const double spawnCost = bareSpawnCpuSeconds(runs);

    StateMonitor monitor(&executor, pollingDeck(), pollInterval);
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    monitor.startPolling([](const QList<ControlState> &) {});
    QTimer::singleShot(std::chrono::seconds(monitorSeconds), &app, [&] {
        monitor.stop();
        const double scale = secondsPerMinute / monitorSeconds;
        const double own = (cpuSeconds(RUSAGE_SELF) - selfBefore) * scale;
        const double children = (cpuSeconds(RUSAGE_CHILDREN) - childrenBefore) * scale;
        const double checksPerMinute = monitoredChecks * secondsPerMinute / pollInterval;
        const double starting = spawnCost * checksPerMinute;
        std::printf("monitor, %d checks every %.0f s: own CPU %.3f s/min, checks' processes %.3f "
                    "s/min, own %.2f %% of theirs (goal < 5 %%)\n",
                    monitoredChecks, pollInterval, own, children, 100.0 * own / children);
        std::printf("  of the own CPU, starting the processes as a bare posix_spawn does: %.3f "
                    "s/min; the rest %.2f %% of theirs\n",
                    starting, 100.0 * (own - starting) / children);
        app.quit();
    });
    return app.exec();
}

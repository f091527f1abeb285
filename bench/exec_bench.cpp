// Measures what running actions and polling status checks costs beyond the programs themselves:
//  1. the median time of SystemExecutor::run for the shell action "true" next to a bare fork and
//     exec of "/bin/zsh -lc true", and their ratio (goal: at most 1.10);
//  2. the same for a shell_exit_code status check of "true";
//  3. the CPU time the state monitor spends per minute polling 100 checks of "true" every 5 s,
//     next to the CPU time of the checks' own processes (goal: under 5 %). Beside it, at the same
//     time and on the same schedule, a helper process starts and reaps the same programs with a
//     bare posix_spawn and wait: the least any parent pays for them, under the same load.
// Usage: exec_bench [runs] [monitor seconds]

#include "BenchSupport.h"
#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::Bench;

namespace {

// Runs of each kind for the medians.
constexpr int defaultRuns = 200;
// How long the monitor is watched; its figures are scaled to one minute.
constexpr int defaultMonitorSeconds = 60;
constexpr int monitoredChecks = 100;
constexpr double pollInterval = 5.0;
constexpr double secondsPerMinute = 60.0;
constexpr double microsecondsPerSecond = 1e6;
// The bare poller starts its rounds half an interval after the monitor's, so that the two bursts
// of a hundred programs do not compete for the processors.
constexpr auto barePhase = std::chrono::milliseconds(2500);
// How often the end of the window looks whether the monitor's last checks have been reaped.
constexpr auto settleStep = std::chrono::milliseconds(10);

const char *const barePollerFlag = "--bare-poller";

// User and system time of this process (RUSAGE_SELF, every thread of it) or of its children
// reaped so far (RUSAGE_CHILDREN).
double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval &time) {
        return double(time.tv_sec) + double(time.tv_usec) / microsecondsPerSecond;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The CPU time a poller spent in a window, and its programs' (counted once reaped).
struct WindowCpu {
    double own = 0;
    double children = 0;
};

// The one-minute load average, the machine's load the figures were taken under.
double loadAverage()
{
    double load = 0;
    if (FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
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

// The helper process: the monitor's schedule (every program started at once, the next round an
// interval after the last program of a round ended) kept in the cheapest way there is, with
// nothing collected. Prints its own CPU time and its programs' over the window.
int barePoller(int seconds)
{
    using Clock = std::chrono::steady_clock;
    char *arguments[] = {const_cast<char *>(zsh), const_cast<char *>("-lc"),
                         const_cast<char *>("true"), nullptr};
    std::this_thread::sleep_for(barePhase);
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    const auto interval =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(pollInterval));
    std::array<pid_t, monitoredChecks> pids{};
    for (;;) {
        for (pid_t &pid : pids) {
            if (::posix_spawn(&pid, zsh, nullptr, nullptr, arguments, environ) != 0)
                pid = 0;
        }
        for (const pid_t pid : pids) {
            if (pid > 0)
                ::waitpid(pid, nullptr, 0);
        }
        const Clock::time_point next = Clock::now() + interval;
        if (next >= end)
            break;
        std::this_thread::sleep_until(next);
    }
    std::printf("%.6f %.6f\n", cpuSeconds(RUSAGE_SELF) - selfBefore,
                cpuSeconds(RUSAGE_CHILDREN) - childrenBefore);
    return 0;
}

// Starts this program again as the bare poller; its figures come through the returned pipe.
pid_t startBarePoller(int seconds, int *output)
{
    std::array<int, 2> fds{};
    if (::pipe(fds.data()) != 0)
        return 0;
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray window = QByteArray::number(seconds);
    char *arguments[] = {const_cast<char *>(self.constData()), const_cast<char *>(barePollerFlag),
                         const_cast<char *>(window.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.constData(), &actions, nullptr, arguments, environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    *output = fds[0];
    return pid;
}

// Reads the bare poller's figures, then reaps it: only after the monitor's own were taken, since
// reaping adds the helper and its programs to this process's children.
WindowCpu finishBarePoller(pid_t pid, int output)
{
    WindowCpu cpu;
    if (FILE *stream = ::fdopen(output, "r")) {
        if (std::fscanf(stream, "%lf %lf", &cpu.own, &cpu.children) != 2)
            cpu = {};
        std::fclose(stream);
    }
    ::waitpid(pid, nullptr, 0);
    return cpu;
}

// Whether this thread, which starts the monitor's programs, still has a child other than the
// bare poller: a check still running or not yet reaped.
bool hasChecksInFlight(pid_t barePoller)
{
    QFile file(QStringLiteral("/proc/self/task/%1/children").arg(::gettid()));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> children = file.readAll().simplified().split(' ');
    return std::any_of(children.cbegin(), children.cend(), [barePoller](const QByteArray &pid) {
        return !pid.isEmpty() && pid.toInt() != barePoller;
    });
}

void printWindow(const char *what, const WindowCpu &cpu, double scale)
{
    std::printf("%s: own CPU %.4f s/min, checks' processes %.3f s/min, own %.2f %% of theirs\n",
                what, cpu.own * scale, cpu.children * scale, 100.0 * cpu.own / cpu.children);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], barePollerFlag) == 0)
        return barePoller(std::max(1, std::atoi(argv[2])));

    QCoreApplication app(argc, argv);
    // Debug lines are not kept in normal use; printing one per run would be measured instead.
    QLoggingCategory::setFilterRules(QStringLiteral("Quorvel.*.debug=false"));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRuns;
    const int monitorSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultMonitorSeconds;

    SystemExecutor executor;
    QCoro::waitFor(compareRuns(executor, runs));

    const double loadBefore = loadAverage();
    int bareOutput = -1;
    const pid_t bare = startBarePoller(monitorSeconds, &bareOutput);
    StateMonitor monitor(&executor, pollingDeck(), pollInterval);
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    monitor.startPolling([](const QList<ControlState> &) {});

    QTimer settle;
    QObject::connect(&settle, &QTimer::timeout, &app, [&] {
        // Checks started before the end are counted whole: their programs' time only reaches
        // RUSAGE_CHILDREN once they are reaped.
        if (hasChecksInFlight(bare))
            return;
        settle.stop();
        const WindowCpu ours{cpuSeconds(RUSAGE_SELF) - selfBefore,
                             cpuSeconds(RUSAGE_CHILDREN) - childrenBefore};
        const WindowCpu baseline = finishBarePoller(bare, bareOutput);
        const double scale = secondsPerMinute / monitorSeconds;
        std::printf("%d checks of \"true\" every %.0f s for %d s, load average %.2f -> %.2f:\n",
                    monitoredChecks, pollInterval, monitorSeconds, loadBefore, loadAverage());
        printWindow("  state monitor           ", ours, scale);
        printWindow("  bare posix_spawn + wait ", baseline, scale);
        std::printf("  monitor: own %.2f %% of its checks' processes (goal < 5 %%); beyond what "
                    "the bare parent pays: %.2f %%\n",
                    100.0 * ours.own / ours.children,
                    100.0 * (ours.own / ours.children - baseline.own / baseline.children));
        app.quit();
    });
    QTimer::singleShot(std::chrono::seconds(monitorSeconds), Qt::PreciseTimer, &app, [&] {
        monitor.stop();
        settle.start(settleStep);
    });
    return app.exec();
}

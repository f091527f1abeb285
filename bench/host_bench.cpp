// Measures the host as devices see it, over loopback, with the host in a process of its own:
//  1. the median time from sending trigger_action for the shell button "true" to receiving its
//     action_result, next to the median of a bare fork and exec of "/bin/zsh -lc true", and
//     their ratio (goal: at most 1.2);
//  2. the median time for one state change to reach 50 connected devices (goal: under 20 ms);
//  3. the host's resident memory when idle with the sample deck (goal: under 40 MiB).
// Usage: host_bench [runs]
// (host_bench --serve is the host itself: it serves QUORVEL_DECK, or the sample deck, with the
// code in QUORVEL_TOKEN from a temporary data folder and prints "port N" once it listens.)

#include "BenchHost.h"
#include "BenchSupport.h"
#include "FakeServiceNetwork.h"
#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::Bench;
using namespace std::chrono_literals;

namespace {

// Presses timed for the medians.
constexpr int defaultRuns = 200;
// Devices that receive every state change in the fan-out.
constexpr int fanOutDevices = 50;
// Devices that connect at once, well below the host's limit of connections waiting to pair.
constexpr int pairingBatch = HostServer::maxWaitingToPair / 2;
// State changes timed for the fan-out median.
constexpr int fanOutChanges = 50;
// Time the host gets after it listens before its memory is read: its first polls have run.
constexpr auto settleTime = 3s;

Message press(int number)
{
    return Message(Message::TriggerAction{QString::number(number), buttonID, std::nullopt});
}

bool writeBenchDeck(const QString &path)
{
    Control button;
    button.id = buttonID;
    button.title = QStringLiteral("True");
    button.action = Action{Action::Kind::shell, QStringLiteral("true"), std::nullopt, std::nullopt,
                           std::nullopt};
    const std::optional<QByteArray> bytes =
        WireCodec::prettyEncoder(true).encode(Deck{QStringLiteral("Bench"), {button}});
    QFile file(path);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size();
}

int measure(int runs)
{
    const PairingToken code = PairingToken::generate();

    {
        HostProcess idle(std::nullopt, code);
        if (!idle.port()) {
            std::fprintf(stderr, "host_bench: the host with the sample deck did not listen\n");
            return 1;
        }
        spinUntil([timer = QDeadlineTimer(settleTime)] { return timer.hasExpired(); });
        std::printf("idle resident memory with the sample deck: %.1f MiB (goal < 40 MiB)\n",
                    idle.residentMiB());
    }

    QTemporaryDir folder;
    const QString deckPath = folder.filePath(QStringLiteral("deck.json"));
    if (!writeBenchDeck(deckPath)) {
        std::fprintf(stderr, "host_bench: cannot write the bench deck\n");
        return 1;
    }
    HostProcess host(deckPath, code);
    const std::optional<quint16> port = host.port();
    if (!port) {
        std::fprintf(stderr, "host_bench: the host did not listen\n");
        return 1;
    }

    std::vector<std::unique_ptr<Device>> devices;
    devices.push_back(std::make_unique<Device>(*port, code));
    Device &presser = *devices.front();
    if (!spinUntil([&] { return presser.paired; })) {
        std::fprintf(stderr, "host_bench: the device did not pair\n");
        return 1;
    }
    std::vector<qint64> pressTimes, bareTimes;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        const int before = presser.results;
        timer.start();
        presser.send(press(i));
        if (!spinUntil([&] { return presser.results > before; })) {
            std::fprintf(stderr, "host_bench: no action_result\n");
            return 1;
        }
        pressTimes.push_back(timer.nsecsElapsed());
        bareTimes.push_back(bareForkExec());
    }
    const double pressMs = median(pressTimes);
    const double bareMs = median(bareTimes);
    std::printf("trigger-to-result \"true\": median %.3f ms; bare fork-exec of /bin/zsh -lc true: "
                "median %.3f ms; ratio %.3f (goal <= 1.2)\n",
                pressMs, bareMs, pressMs / bareMs);

    // A few at a time: the host lets only so many connections wait to pair at once.
    while (int(devices.size()) < fanOutDevices) {
        for (int i = 0; i < pairingBatch && int(devices.size()) < fanOutDevices; ++i) {
            devices.push_back(std::make_unique<Device>(*port, code));
        }
        if (!spinUntil([&] {
                return std::all_of(devices.cbegin(), devices.cend(),
                                   [](const auto &device) { return device->paired; });
            })) {
            std::fprintf(stderr, "host_bench: not every device paired\n");
            return 1;
        }
    }
    std::vector<qint64> fanOutTimes;
    for (int i = 0; i < fanOutChanges; ++i) {
        const int results = presser.results;
        std::vector<int> before;
        for (const auto &device : devices) {
            before.push_back(device->busyMarks);
        }
        timer.start();
        presser.send(press(runs + i));
        // The busy mark is the state change: it goes to every device before the run starts.
        const bool reached = spinUntil([&] {
            for (size_t d = 0; d < devices.size(); ++d) {
                if (devices[d]->busyMarks == before[d]) {
                    return false;
                }
            }
            return true;
        });
        fanOutTimes.push_back(timer.nsecsElapsed());
        if (!reached || !spinUntil([&] { return presser.results > results; })) {
            std::fprintf(stderr, "host_bench: a state change did not reach every device\n");
            return 1;
        }
    }
    std::printf("state change to %d devices: median %.3f ms over %d changes (goal < 20 ms)\n",
                fanOutDevices, median(fanOutTimes), fanOutChanges);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Log lines are not what is measured; writing them would be.
    QLoggingCategory::setFilterRules(QStringLiteral("Quorvel.*.debug=false\nQuorvel.*.info=false"));
    if (app.arguments().value(1) == serveFlag) {
        return serve();
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRuns;
    return measure(runs);
}

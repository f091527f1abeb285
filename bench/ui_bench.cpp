// Measures the remote's views in one run, each figure beside its baseline:
//  1. building and showing ClientRootView for a model that holds a 500-action deck, until it
//     is laid out and painted, beside building and showing 500 plain labels (what any list of
//     that size costs in Qt); goal: at most 50 ms;
//  2. a state_update that changes all 500 states, from the host's send until the model holds
//     them and the shown view has redrawn, beside the same update with no view (link and model
//     alone); the views' share (the difference) has the goal of one frame, 16 ms;
//  3. how many rows are made again when one state changes (goal: none).
// Release build, offscreen platform; the model pairs through a private keyring, so the program
// runs itself again under scripts/sandbox-dbus.sh.
// Usage: ui_bench [runs]

#include "BenchSupport.h"
#include "TestHost.h"

#include "Gallery/GalleryDecks.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Quorvel;
using namespace Quorvel::Bench;
using namespace std::chrono_literals;

namespace {

constexpr int deckSize = 500;
constexpr int defaultRuns = 20;
constexpr double deckGoalMs = 50.0;
constexpr double frameGoalMs = 16.0;
// Longest wait for any one step before the benchmark gives up.
constexpr auto stepLimit = 30s;
constexpr char insideVariable[] = "QUORVEL_UI_BENCH_INSIDE";

bool spinUntil(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(stepLimit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// Lets the shown widget take its pending layout and paint events.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Every state of the deck, all of them different from the round before.
std::vector<ControlState> statesForRound(const Deck &deck, int round)
{
    std::vector<ControlState> states;
    const QDateTime now = QDateTime::currentDateTimeUtc().addSecs(round);
    for (const Control &control : deck.controls) {
        states.push_back(
            ControlState{control.id, round % 2 == 0, QStringLiteral("%1").arg(round), false, now});
    }
    return states;
}

// Seconds from sending one full state_update until the model holds its last state and the
// views watching it have drawn.
qint64 timeStateUpdate(ClientTest::TestHost &host, ClientModel &model, const Deck &deck, int round)
{
    const std::vector<ControlState> states = statesForRound(deck, round);
    const ControlState last = states.back();
    QElapsedTimer timer;
    timer.start();
    host.broadcast(Message(Message::StateUpdate{states}));
    if (!spinUntil([&] { return model.state(last.id) == last; }))
        return -1;
    settle();
    return timer.nsecsElapsed();
}

qint64 timePlainLabels()
{
    QElapsedTimer timer;
    timer.start();
    QWidget box;
    box.setAttribute(Qt::WA_DontShowOnScreen);
    auto *layout = new QVBoxLayout(&box);
    for (int i = 0; i < deckSize; ++i)
        layout->addWidget(new QLabel(QStringLiteral("Action %1").arg(i)));
    box.show();
    settle();
    return timer.nsecsElapsed();
}

qint64 timeRootView(ClientModel &model)
{
    QElapsedTimer timer;
    timer.start();
    ClientRootView view(&model);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    settle();
    const qint64 elapsed = timer.nsecsElapsed();
    model.stop();
    return elapsed;
}

int reenterSandbox(int argc, char *argv[])
{
    if (std::getenv(insideVariable))
        return 0;
    const char *source = std::getenv("QUORVEL_SOURCE_DIR");
    const std::string script =
        std::string(source ? source : QUORVEL_SOURCE_DIR_DEFAULT) + "/scripts/sandbox-dbus.sh";
    ::setenv(insideVariable, "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<char *> arguments{const_cast<char *>(script.c_str())};
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(script.c_str(), arguments.data());
    std::fprintf(stderr, "ui_bench: cannot run %s\n", script.c_str());
    return 127;
}

void report(const char *what, double measured, const char *baselineName, double baseline,
            const char *goal, bool met)
{
    std::printf("%-44s %8.2f ms   %-28s %8.2f ms   goal %-10s %s\n", what, measured, baselineName,
                baseline, goal, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = reenterSandbox(argc, argv))
        return status;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("QuorvelUiBench"));
    IconTheme::setUp();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRuns;

    const Deck deck = GalleryDecks::large(deckSize);
    const PairingToken code = ClientTest::firstCode();
    ClientTest::TestHost host(code, deck);
    if (!host.start()) {
        std::fprintf(stderr, "ui_bench: the host did not listen\n");
        return 1;
    }
    ClientModel model(QStringLiteral("Bench"), KeychainTokenStore(), false);
    model.submitPairingCode(code.displayText(), host.listing());
    if (!spinUntil([&] { return model.isConnected() && model.deck().has_value(); })) {
        std::fprintf(stderr, "ui_bench: the model did not connect\n");
        return 1;
    }

    std::vector<qint64> rootTimes;
    std::vector<qint64> labelTimes;
    for (int run = 0; run < runs; ++run) {
        labelTimes.push_back(timePlainLabels());
        rootTimes.push_back(timeRootView(model));
    }

    int round = 0;
    std::vector<qint64> modelOnly;
    for (int run = 0; run < runs; ++run)
        modelOnly.push_back(timeStateUpdate(host, model, deck, ++round));
    std::vector<qint64> withView;
    {
        ClientRootView view(&model);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.show();
        settle();
        for (int run = 0; run < runs; ++run)
            withView.push_back(timeStateUpdate(host, model, deck, ++round));

        // One state changes: the rows stay the same widgets.
        DeckView *deckView = view.deckView();
        const int rebuildsBefore = deckView->rebuildCount();
        const QList<ControlRow *> rowsBefore = deckView->rows();
        std::vector<ControlState> one{statesForRound(deck, ++round).front()};
        host.broadcast(Message(Message::StateUpdate{one}));
        spinUntil([&] { return model.state(one.front().id) == one.front(); });
        settle();
        const int rebuilt = (deckView->rebuildCount() - rebuildsBefore) * deckSize +
                            (deckView->rows() == rowsBefore ? 0 : 1);
        for (const std::vector<qint64> *samples : {&modelOnly, &withView}) {
            if (std::find(samples->begin(), samples->end(), -1) != samples->end()) {
                std::fprintf(stderr, "ui_bench: a state update did not arrive\n");
                return 1;
            }
        }
        const double rootMs = median(rootTimes);
        const double modelMs = median(modelOnly);
        const double viewMs = median(withView);
        std::printf("ui_bench: %d actions, %d runs, medians\n", deckSize, runs);
        report("ClientRootView built and shown", rootMs, "500 plain labels shown",
               median(labelTimes), "<= 50 ms", rootMs <= deckGoalMs);
        report("500 state changes shown (link+model+views)", viewMs, "same update, no view",
               modelMs, "", true);
        report("  of which the views", viewMs - modelMs, "", 0.0, "<= 16 ms",
               viewMs - modelMs <= frameGoalMs);
        std::printf("%-44s %8d rows   goal 0      %s\n", "rows made again for one state change",
                    rebuilt, rebuilt == 0 ? "met" : "MISSED");
    }
    return 0;
}

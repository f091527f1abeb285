// Measures the remote's views in one run, each figure beside its baseline:
//  1. building and showing ClientRootView for a model that holds a 500-action deck, until it
//     is laid out and painted, beside building and showing 500 plain labels (what any list of
//     that size costs in Qt); goal: at most 50 ms;
//  2. a state_update that changes all 500 states, from the host's send until the model holds
//     them and the shown view has redrawn, beside the same update with no view (link and model
//     alone); the views' share (the difference) has the goal of one frame, 16 ms;
//  3. how many rows are made again when one state changes (goal: none);
//  4. opening the deck editor on a 200-action deck until it is shown, beside showing 200 plain
//     labels; goal: at most 150 ms;
//  5. typing one character into a card's title until every view shows it, beside typing one
//     into a plain field; goal: one frame, 16 ms, with no other card made again.
// Release build, offscreen platform; the model pairs through a private keyring, so the program
// runs itself again under scripts/sandbox-dbus.sh.
// Usage: ui_bench [runs]

#include "BenchSupport.h"
#include "TestHost.h"

#include "Gallery/GalleryDecks.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/RenamePopover.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
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
constexpr int editorDeckSize = 200;
constexpr double editorOpenGoalMs = 150.0;
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
    // Whole seconds, as the wire carries them, so the state read back compares equal.
    const QDateTime now =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + round, Qt::UTC);
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

qint64 timePlainLabels(int count = deckSize)
{
    QElapsedTimer timer;
    timer.start();
    QWidget box;
    box.setAttribute(Qt::WA_DontShowOnScreen);
    auto *layout = new QVBoxLayout(&box);
    for (int i = 0; i < count; ++i)
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

void report(const char *what, double measured, const char *baselineName, double baseline,
            const char *goal, bool met)
{
    std::printf("%-44s %8.2f ms   %-28s %8.2f ms   goal %-10s %s\n", what, measured, baselineName,
                baseline, goal, met ? "met" : "MISSED");
}

// The deck editor over a link that holds the deck, as a window opens it.
struct EditorUnderTest {
    explicit EditorUnderTest(const Deck &deck) { client.connectTo(QStringLiteral("Bench"), deck); }
    ScriptedEditorClient client;
    FixedLiveStates live;
};

qint64 timeEditorOpen(const Deck &deck)
{
    EditorUnderTest parts(deck);
    QElapsedTimer timer;
    timer.start();
    DeckEditorModel model(parts.client);
    DeckEditorView view(model, parts.live);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    settle();
    const qint64 elapsed = timer.nsecsElapsed();
    return size_t(view.cards().size()) == deck.controls.size() ? elapsed : -1;
}

qint64 timeTyping(QLineEdit *field, const std::function<bool()> &shown)
{
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(field, Qt::Key_A);
    settle();
    const qint64 elapsed = timer.nsecsElapsed();
    return shown() ? elapsed : -1;
}

bool editorFigures(int runs)
{
    const Deck deck = GalleryDecks::large(editorDeckSize);
    std::vector<qint64> openTimes;
    std::vector<qint64> labelTimes;
    for (int run = 0; run < runs; ++run) {
        labelTimes.push_back(timePlainLabels(editorDeckSize));
        openTimes.push_back(timeEditorOpen(deck));
    }

    std::vector<qint64> plainTyping;
    QLineEdit plain;
    plain.setAttribute(Qt::WA_DontShowOnScreen);
    plain.show();
    for (int run = 0; run < runs; ++run) {
        const qsizetype before = plain.text().size();
        plainTyping.push_back(
            timeTyping(&plain, [&] { return plain.text().size() == before + 1; }));
    }

    EditorUnderTest parts(deck);
    DeckEditorModel model(parts.client);
    DeckEditorView view(model, parts.live);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    settle();
    const QList<ControlCard *> cards = view.cards();
    std::vector<QList<Chip *>> chipsBefore;
    for (ControlCard *card : cards)
        chipsBefore.push_back(card->chips());
    ControlCard *typedInto = cards.value(editorDeckSize / 2);
    if (!typedInto)
        return false;
    typedInto->showRename();
    settle();
    auto *rename = typedInto->renamePopover()
                       ? typedInto->renamePopover()->findChild<RenamePopover *>()
                       : nullptr;
    if (!rename)
        return false;
    std::vector<qint64> cardTyping;
    for (int run = 0; run < runs; ++run) {
        const QString expected = typedInto->titleText() + QLatin1Char('a');
        cardTyping.push_back(
            timeTyping(rename->nameField(), [&] { return typedInto->titleText() == expected; }));
    }
    int remade = view.cards() == cards ? 0 : 1;
    for (qsizetype i = 0; i < cards.size(); ++i) {
        if (cards.at(i) != typedInto && cards.at(i)->chips() != chipsBefore.at(size_t(i)))
            ++remade;
    }
    for (const std::vector<qint64> *samples : {&openTimes, &cardTyping, &plainTyping}) {
        if (std::find(samples->begin(), samples->end(), -1) != samples->end())
            return false;
    }
    const double openMs = median(openTimes);
    const double typingMs = median(cardTyping);
    std::printf("ui_bench: deck editor on %d actions, %d runs, medians\n", editorDeckSize, runs);
    report("deck editor built and shown", openMs, "200 plain labels shown", median(labelTimes),
           "<= 150 ms", openMs <= editorOpenGoalMs);
    report("one character typed into a card's title", typingMs, "one typed into a field",
           median(plainTyping), "<= 16 ms", typingMs <= frameGoalMs);
    std::printf("%-44s %8d cards  goal 0      %s\n", "other cards made again while typing", remade,
                remade == 0 ? "met" : "MISSED");
    std::fflush(stdout);
    return true;
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
    // As root, a network namespace of its own with loopback only, so the test host is never
    // advertised beyond this machine; the keyring sandbox runs inside it.
    std::vector<const char *> arguments;
    if (::geteuid() == 0) {
        arguments = {"unshare",
                     "--net",
                     "--mount",
                     "--fork",
                     "--propagation",
                     "private",
                     "sh",
                     "-c",
                     "ip link set lo up && mount -t tmpfs none /run && exec \"$0\" \"$@\""};
    }
    arguments.push_back(script.c_str());
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execvp(arguments.front(), const_cast<char *const *>(arguments.data()));
    std::fprintf(stderr, "ui_bench: cannot run %s\n", arguments.front());
    return 127;
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

    // The editor needs no link: its figures come first, away from the host's traffic.
    if (!editorFigures(runs)) {
        std::fprintf(stderr, "ui_bench: the deck editor did not show its actions\n");
        return 1;
    }

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

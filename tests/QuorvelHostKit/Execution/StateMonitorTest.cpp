#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/StatePoller.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "ProcessAlive.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Quorvel;

namespace {

// So long that a check without its own interval runs once during a test.
constexpr double neverAgain = 3600;
// So short that a test sees several polls quickly.
constexpr double quickInterval = 0.05;

const QDateTime fixedNow = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

Control checked(const QString &id, StatusCheck::Kind kind, const QString &target,
                std::optional<double> interval = std::nullopt)
{
    Control control;
    control.id = id;
    control.title = id;
    control.type = ControlType::metric;
    control.statusCheck = StatusCheck{kind, target, interval, std::nullopt};
    return control;
}

Control unchecked(const QString &id)
{
    Control control;
    control.id = id;
    control.title = id;
    return control;
}

Deck deckOf(std::vector<Control> controls)
{
    return Deck{QStringLiteral("Test"), std::move(controls)};
}

} // namespace

class StateMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void steadyStateIsReportedOnce();
    void movingReadoutIsReportedOnEachMove();
    void eachCheckUsesItsOwnInterval();
    void busyMarksAreAlwaysReported();
    void busyMarkSurvivesCheckInFlight();
    void recheckAfterRunStopsAtExpectedState();
    void recheckAfterRunWithoutExpectationChecksOnce();
    void recheckAfterRunWithNoAttemptsChecksNothing();
    void updateDropsRemovedActions();
    void updateBeforePollingPollsNothing();
    void checkOutlivedByItsActionIsDropped_data();
    void checkOutlivedByItsActionIsDropped();
    void abandonedCheckEndsItsProgram_data();
    void abandonedCheckEndsItsProgram();
    void recheckReadsOnlyThatApplication();
    void uncheckableActionsGiveNothing();
    void allStatesFollowDeckOrder();
    void equivalentSpellingsCheckTheFirstControl();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &content);
    int lines(const QString &name) const;
    // A shell_output check that counts its runs in name.count and prints the content of name.
    QString countingRead(const QString &name) const;
    std::unique_ptr<StateMonitor> makeMonitor(const Deck &deck,
                                              double defaultInterval = neverAgain);

    std::unique_ptr<QTemporaryDir> m_dir;
    SystemExecutor m_executor;
    QList<ControlState> m_reports;
};

void StateMonitorTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_reports.clear();
}

void StateMonitorTest::write(const QString &name, const QByteArray &content)
{
    QFile out(file(name));
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(content);
}

int StateMonitorTest::lines(const QString &name) const
{
    QFile in(file(name));
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    return int(in.readAll().count('\n'));
}

QString StateMonitorTest::countingRead(const QString &name) const
{
    return QStringLiteral("print >> '%1.count'; cat '%1' 2>/dev/null").arg(file(name));
}

std::unique_ptr<StateMonitor> StateMonitorTest::makeMonitor(const Deck &deck,
                                                            double defaultInterval)
{
    auto monitor = std::make_unique<StateMonitor>(&m_executor, deck, defaultInterval);
    monitor->setClock([] { return fixedNow; });
    return monitor;
}

void StateMonitorTest::steadyStateIsReportedOnce()
{
    write("level", "42\n");
    auto monitor = makeMonitor(deckOf(
        {checked("level", StatusCheck::Kind::shellOutput, countingRead("level"), quickInterval)}));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });

    QTRY_VERIFY(lines("level.count") >= 3);
    monitor->stop();
    QCOMPARE(m_reports.size(), 1);
    QCOMPARE(m_reports.first(), (ControlState{"level", std::nullopt, "42", false, fixedNow}));
}

void StateMonitorTest::movingReadoutIsReportedOnEachMove()
{
    auto monitor = makeMonitor(
        deckOf({checked("temp", StatusCheck::Kind::shellOutput, countingRead("temp"))}));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });
    monitor->stop();

    QStringList reported;
    for (const QByteArray value : {"20", "20", "21", "21", "20"}) {
        write("temp", value);
        const auto state = QCoro::waitFor(monitor->check("temp"));
        QVERIFY(state);
        QCOMPARE(state->detail, QString::fromLatin1(value));
    }
    for (const ControlState &state : std::as_const(m_reports))
        reported.append(*state.detail);
    QCOMPARE(reported, (QStringList{"20", "21", "20"}));
}

void StateMonitorTest::eachCheckUsesItsOwnInterval()
{
    auto monitor = makeMonitor(deckOf({
        checked("fast", StatusCheck::Kind::shellOutput, countingRead("fast"), quickInterval),
        checked("default", StatusCheck::Kind::shellOutput, countingRead("default")),
    }));
    monitor->startPolling([](const QList<ControlState> &) {});

    QTRY_VERIFY(lines("fast.count") >= 4);
    monitor->stop();
    QCOMPARE(lines("default.count"), 1);
}

void StateMonitorTest::busyMarksAreAlwaysReported()
{
    auto monitor = makeMonitor(deckOf({unchecked("record")}));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });

    monitor->setBusy(true, "record");
    monitor->setBusy(false, "record");

    QCOMPARE(m_reports, (QList<ControlState>{
                            {"record", std::nullopt, std::nullopt, true, fixedNow},
                            {"record", std::nullopt, std::nullopt, false, fixedNow},
                        }));
}

void StateMonitorTest::busyMarkSurvivesCheckInFlight()
{
    const QString waitForGo =
        QStringLiteral("while [[ ! -e '%1' ]]; do sleep 0.01; done; print on").arg(file("go"));
    auto monitor =
        makeMonitor(deckOf({checked("switch", StatusCheck::Kind::shellOutput, waitForGo)}));

    auto pending = monitor->check("switch");
    monitor->setBusy(true, "switch");
    write("go", "");
    const auto state = QCoro::waitFor(pending);

    QVERIFY(state);
    QVERIFY(state->isBusy);
    QCOMPARE(state->detail, QStringLiteral("on"));
    QCOMPARE(monitor->allStates(), QList<ControlState>{*state});
}

void StateMonitorTest::recheckAfterRunStopsAtExpectedState()
{
    // Off for the first two checks, on from the third.
    const QString turnsOnAtThird =
        QStringLiteral("print >> '%1'; (( $(wc -l < '%1') >= 3 ))").arg(file("switch.count"));
    auto monitor =
        makeMonitor(deckOf({checked("switch", StatusCheck::Kind::shellExitCode, turnsOnAtThird)}));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });
    monitor->stop();

    QCoro::waitFor(monitor->recheckAfterRun("switch", true, 10, 0.01));

    QCOMPARE(lines("switch.count"), 3);
    QCOMPARE(m_reports.size(), 2);
    QCOMPARE(m_reports.last().isOn, true);
}

void StateMonitorTest::recheckAfterRunWithoutExpectationChecksOnce()
{
    auto monitor = makeMonitor(
        deckOf({checked("button", StatusCheck::Kind::shellOutput, countingRead("button"))}));
    QCoro::waitFor(monitor->recheckAfterRun("button", std::nullopt, 10, 0.01));
    QCOMPARE(lines("button.count"), 1);
}

void StateMonitorTest::recheckAfterRunWithNoAttemptsChecksNothing()
{
    auto monitor = makeMonitor(
        deckOf({checked("switch", StatusCheck::Kind::shellOutput, countingRead("switch"))}));
    QCoro::waitFor(monitor->recheckAfterRun("switch", false, 0, 0.01));
    QCoro::waitFor(monitor->recheckAfterRun("switch", false, -5, 0.01));
    QCOMPARE(lines("switch.count"), 0);
}

void StateMonitorTest::updateDropsRemovedActions()
{
    write("a", "1");
    write("b", "2");
    auto monitor = makeMonitor(deckOf({
        checked("a", StatusCheck::Kind::shellOutput, countingRead("a")),
        checked("b", StatusCheck::Kind::shellOutput, countingRead("b")),
    }));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });
    QTRY_COMPARE(monitor->allStates().size(), 2);

    monitor->update(deckOf({checked("b", StatusCheck::Kind::shellOutput, countingRead("b"))}));

    QCOMPARE(monitor->findChildren<StatePoller *>().size(), 1);
    QCOMPARE(monitor->allStates(),
             (QList<ControlState>{{"b", std::nullopt, "2", false, fixedNow}}));
    QTRY_COMPARE(lines("b.count"), 2);
}

void StateMonitorTest::updateBeforePollingPollsNothing()
{
    auto monitor = makeMonitor(deckOf({}));
    monitor->update(
        deckOf({checked("a", StatusCheck::Kind::shellOutput, countingRead("a"), quickInterval)}));
    QCOMPARE(monitor->findChildren<StatePoller *>().size(), 0);
    QCOMPARE(monitor->allStates(), QList<ControlState>());
}

void StateMonitorTest::checkOutlivedByItsActionIsDropped_data()
{
    QTest::addColumn<std::optional<QString>>("newTarget");
    QTest::addColumn<std::optional<double>>("newInterval");
    QTest::addColumn<bool>("stands");
    QTest::newRow("action removed") << std::optional<QString>() << std::optional<double>() << false;
    QTest::newRow("check asks something else")
        << std::optional<QString>("print new") << std::optional<double>() << false;
    QTest::newRow("only the interval changed")
        << std::optional<QString>() << std::optional<double>(neverAgain) << true;
}

void StateMonitorTest::checkOutlivedByItsActionIsDropped()
{
    QFETCH(std::optional<QString>, newTarget);
    QFETCH(std::optional<double>, newInterval);
    QFETCH(bool, stands);
    const QString waitForGo =
        QStringLiteral("while [[ ! -e '%1' ]]; do sleep 0.01; done; print old").arg(file("go"));
    auto monitor = makeMonitor(deckOf(
        {checked("readout", StatusCheck::Kind::shellOutput, waitForGo), unchecked("other")}));
    monitor->startPolling([this](const QList<ControlState> &states) { m_reports += states; });
    monitor->stop();

    auto pending = monitor->check("readout");
    std::vector<Control> controls{unchecked("other")};
    if (newTarget || newInterval) {
        controls.push_back(checked("readout", StatusCheck::Kind::shellOutput,
                                   newTarget.value_or(waitForGo), newInterval));
    }
    monitor->update(deckOf(controls));
    if (newTarget)
        QTRY_COMPARE(m_reports.size(), 1);
    write("go", "");
    const auto state = QCoro::waitFor(pending);
    monitor->stop();

    QCOMPARE(state.has_value(), stands);
    QStringList reported;
    for (const ControlState &report : std::as_const(m_reports))
        reported.append(report.detail.value_or(QString()));
    const QStringList allStates = [&monitor] {
        QStringList details;
        for (const ControlState &state : monitor->allStates())
            details.append(state.detail.value_or(QString()));
        return details;
    }();
    if (stands) {
        QVERIFY(reported.contains("old"));
        QCOMPARE(allStates, QStringList{"old"});
    } else {
        QVERIFY2(!reported.contains("old"), qPrintable(reported.join(u',')));
        QCOMPARE(allStates, newTarget ? QStringList{"new"} : QStringList());
    }
}

void StateMonitorTest::abandonedCheckEndsItsProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ends");
    QTest::newRow("monitor destroyed") << QStringLiteral("destroy") << true;
    QTest::newRow("action removed") << QStringLiteral("remove") << true;
    QTest::newRow("check asks something else") << QStringLiteral("replace") << true;
    QTest::newRow("only the interval changed") << QStringLiteral("interval") << false;
    QTest::newRow("polling stopped") << QStringLiteral("stop") << false;
}

void StateMonitorTest::abandonedCheckEndsItsProgram()
{
    QFETCH(QString, how);
    QFETCH(bool, ends);
    // The shell and a child it waits for; the file appears whole, once both run.
    const QString command =
        QStringLiteral("sleep 600 & print $$ $! > '%1.part' && mv '%1.part' '%1'; wait; print done")
            .arg(file("pids"));
    auto monitor =
        makeMonitor(deckOf({checked("readout", StatusCheck::Kind::shellOutput, command)}));
    auto pending = monitor->check("readout");
    QTRY_VERIFY(QFile::exists(file("pids")));
    const QList<qint64> pids = readPids(file("pids"));
    QCOMPARE(pids.size(), 2);

    if (how == "destroy")
        monitor.reset();
    else if (how == "remove")
        monitor->update(deckOf({unchecked("readout")}));
    else if (how == "replace")
        monitor->update(deckOf({checked("readout", StatusCheck::Kind::shellOutput, "print new")}));
    else if (how == "interval")
        monitor->update(
            deckOf({checked("readout", StatusCheck::Kind::shellOutput, command, quickInterval)}));
    else
        monitor->stop();

    if (ends) {
        for (const qint64 pid : std::as_const(pids))
            QTRY_VERIFY(!isAlive(pid));
        QCOMPARE(QCoro::waitFor(pending), std::nullopt);
    } else {
        // A check that still stands runs on and is answered once its child ends.
        QVERIFY(::kill(pid_t(pids.last()), SIGTERM) == 0);
        const auto state = QCoro::waitFor(pending);
        QVERIFY(state);
        QCOMPARE(state->detail, QStringLiteral("done"));
    }
}

void StateMonitorTest::recheckReadsOnlyThatApplication()
{
    auto monitor = makeMonitor(deckOf({
        checked("mixer", StatusCheck::Kind::appControl, "com.example.mixer"),
        checked("other case", StatusCheck::Kind::appControl, "com.example.Mixer"),
        checked("other app", StatusCheck::Kind::appControl, "com.example.lights"),
        checked("shell", StatusCheck::Kind::shellOutput, "print com.example.mixer"),
    }));
    QCoro::waitFor(monitor->recheck("com.example.mixer"));
    QCOMPARE(monitor->allStates(),
             (QList<ControlState>{{"mixer", std::nullopt, "Controlling apps isn't available here",
                                   false, fixedNow}}));
}

void StateMonitorTest::uncheckableActionsGiveNothing()
{
    auto monitor = makeMonitor(deckOf({unchecked("plain")}));
    QCOMPARE(QCoro::waitFor(monitor->check("plain")), std::nullopt);
    QCOMPARE(QCoro::waitFor(monitor->check("unknown")), std::nullopt);
    QCOMPARE(monitor->allStates(), QList<ControlState>());
}

void StateMonitorTest::allStatesFollowDeckOrder()
{
    auto monitor = makeMonitor(deckOf({
        checked("first", StatusCheck::Kind::shellOutput, "print 1"),
        unchecked("second"),
        checked("third", StatusCheck::Kind::shellOutput, "print 3"),
    }));
    QCoro::waitFor(monitor->check("third"));
    monitor->setBusy(true, "not in the deck");
    monitor->setBusy(true, "second");
    QCoro::waitFor(monitor->check("first"));

    QStringList ids;
    for (const ControlState &state : monitor->allStates())
        ids.append(state.id);
    QCOMPARE(ids, (QStringList{"first", "second", "third"}));
}

void StateMonitorTest::equivalentSpellingsCheckTheFirstControl()
{
    // "ậ" composed, decomposed, and decomposed with its marks in the other order: one id,
    // whichever way it is spelled, also in a spelling no control uses.
    const QString composed = QStringLiteral("\u1ead");
    const QString decomposed = QStringLiteral("a\u0323\u0302");
    const QString reordered = QStringLiteral("a\u0302\u0323");
    auto monitor = makeMonitor(deckOf({
        checked(composed, StatusCheck::Kind::shellOutput, "print first"),
        checked(decomposed, StatusCheck::Kind::shellOutput, "print second"),
    }));
    for (const QString &id : {decomposed, composed, reordered}) {
        const auto state = QCoro::waitFor(monitor->check(id));
        QVERIFY(state);
        QCOMPARE(state->detail, QStringLiteral("first"));
    }
}

QTEST_GUILESS_MAIN(StateMonitorTest)
#include "StateMonitorTest.moc"

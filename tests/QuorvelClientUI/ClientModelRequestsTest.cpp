#include "ClientTestSupport.h"

#include <QUuid>

#include <QElapsedTimer>
#include <QSignalSpy>

#include <array>
#include <cstddef>
#include <new>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using Outcome = ClientModel::TestOutcome;
using RunOutcome = ClientModel::RunOutcome;

namespace {

Action shellAction(std::optional<double> timeout)
{
    return Action{Action::Kind::shell, "true", timeout, std::nullopt, std::nullopt};
}

StatusCheck shellCheck()
{
    return StatusCheck{StatusCheck::Kind::shellExitCode, "true", std::nullopt, std::nullopt};
}

ControlState state(const QString &id, bool isOn)
{
    ControlState result;
    result.id = id;
    result.isOn = isOn;
    result.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    return result;
}

// A model connected to a host of its own.
struct Session {
    explicit Session(ClientTimings timings = fastTimings())
        : host(firstCode(), sampleDeck(), uniqueHostName()),
          model("Remote", KeychainTokenStore(), true, timings)
    {}

    bool connect()
    {
        if (!host.start() || !Keyring().save(firstCode(), host.hostID()))
            return false;
        model.connectTo(host.listing());
        return QTest::qWaitFor([this] { return model.isConnected(); }, answerLimitMs);
    }

    std::optional<Message::TriggerAction> lastTrigger() const
    {
        for (auto it = host.received.rbegin(); it != host.received.rend(); ++it) {
            if (const auto *trigger = it->as<Message::TriggerAction>())
                return *trigger;
        }
        return std::nullopt;
    }

    TestHost host;
    ClientModel model;
};

// The requests that answer their caller later.
enum class RequestKind { run, tryAction, check, deckUpdate };
// What comes after the caller went: the host's answer, the time-out, or the model's own end.
enum class AfterCallerWent { answer, timeOut, modelGone };

// Starts one request of that kind whose handler counts its answers.
void startRequest(ClientModel &model, RequestKind kind, QObject *receiver,
                  const std::shared_ptr<int> &answers)
{
    const auto count = [answers](auto) { ++*answers; };
    switch (kind) {
    case RequestKind::run:
        model.runControl("lamp", std::nullopt, receiver, count);
        return;
    case RequestKind::tryAction:
        model.test(shellAction(std::nullopt), receiver, count);
        return;
    case RequestKind::check:
        model.check(shellCheck(), receiver, count);
        return;
    case RequestKind::deckUpdate:
        model.updateDeck(sampleDeck("Changed"), receiver, count);
        return;
    }
}

} // namespace

Q_DECLARE_METATYPE(RequestKind)
Q_DECLARE_METATYPE(AfterCallerWent)

// Sending to the host and waiting for its replies, with their time-outs, against a real host link
// on loopback.
class ClientModelRequestsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void pressRunsTheActionAndTheResultBecomesANotice()
    {
        Session session;
        QVERIFY(session.connect());
        session.model.press("lamp");
        QVERIFY(session.model.pendingControls().contains("lamp"));
        QTRY_COMPARE(session.model.lastNotice(), std::optional<QString>("Desk Lamp: done"));
        QVERIFY(session.model.pendingControls().isEmpty());

        session.model.setSwitch("fan", false);
        QTRY_VERIFY(session.lastTrigger() && session.lastTrigger()->controlID == "fan");
        QCOMPARE(session.lastTrigger()->desiredState, std::optional<bool>(false));
        QTRY_COMPARE(session.model.lastNotice(), std::optional<QString>("Fan: done"));
    }

    // Generated ids travel in the standard form with upper-case digits, from a press as from a
    // request that waits for its reply.
    void requestIdsAreUpperCaseUuids()
    {
        Session session;
        QVERIFY(session.connect());
        session.model.press("lamp");
        Answer<RunOutcome> run;
        session.model.runControl("lamp", std::nullopt, run.context(), run.handler());
        Answer<Outcome> tried;
        session.model.test(shellAction(2), tried.context(), tried.handler());
        QVERIFY(run.wait() && tried.wait());

        QStringList ids;
        for (const Message &message : session.host.received) {
            if (const auto *trigger = message.as<Message::TriggerAction>())
                ids.append(trigger->requestID);
            if (const auto *test = message.as<Message::Test>())
                ids.append(test->requestID);
        }
        QCOMPARE(ids.size(), 3);
        for (const QString &id : std::as_const(ids)) {
            QCOMPARE(id, id.toUpper());
            QVERIFY2(!QUuid::fromString(id).isNull(), qPrintable(id));
            QCOMPARE(id.size(), 36);
        }
    }

    // A press that went nowhere must not leave its control waiting for a result.
    void pressWithoutALinkSaysNotConnectedAndLeavesNothingPending()
    {
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        model.press("lamp");
        QCOMPARE(model.lastNotice(), std::optional<QString>("Not connected"));
        QVERIFY(model.pendingControls().isEmpty());
        model.setSwitch("fan", true);
        QVERIFY(model.pendingControls().isEmpty());
    }

    void runGetsTheHostsResult()
    {
        Session session;
        QVERIFY(session.connect());
        Answer<RunOutcome> run;
        session.model.runControl("lamp", std::nullopt, run.context(), run.handler());
        QVERIFY(session.model.pendingControls().contains("lamp"));
        QCOMPARE(run.wait(), std::optional<RunOutcome>({true, "done"}));
        QVERIFY(session.model.pendingControls().isEmpty());
        QCOMPARE(session.model.lastNotice(), std::nullopt);
        QCOMPARE(run.count(), 1);
    }

    // The host answers an id its deck lacks with an error, never with a result: the run must not
    // wait its full time for it.
    void runOfAnActionTheDeckLacksAnswersAtOnce()
    {
        Session session;
        QVERIFY(session.connect());
        Answer<RunOutcome> run;
        session.model.runControl("nope", std::nullopt, run.context(), run.handler());
        const QString expected = "There's no action nope on " + session.host.info.hostName + ".";
        QCOMPARE(run.wait(2000), std::optional<RunOutcome>({false, expected}));
        QVERIFY(session.model.pendingControls().isEmpty());
        QVERIFY(!session.lastTrigger());
    }

    void hostsUnknownControlErrorEndsTheRun()
    {
        Session session;
        QVERIFY(session.connect());
        Deck without = sampleDeck();
        without.controls.erase(without.controls.begin());
        session.host.setDeckQuietly(without);

        Answer<RunOutcome> run;
        session.model.runControl("lamp", true, run.context(), run.handler());
        const QString expected = "There's no action lamp on " + session.host.info.hostName + ".";
        QCOMPARE(run.wait(2000), std::optional<RunOutcome>({false, expected}));
        QVERIFY(session.model.pendingControls().isEmpty());
        QVERIFY(session.model.pendingRequestIDs().isEmpty());
        QCOMPARE(session.model.lastNotice(), std::nullopt);

        // A press of it is not waited on; the refusal still ends its pending mark.
        session.model.press("lamp");
        QTRY_COMPARE(session.model.lastNotice(), std::optional<QString>("unknown_control: lamp"));
        QVERIFY(session.model.pendingControls().isEmpty());
    }

    void silentHostTimesOutWithTheRightTexts()
    {
        ClientTimings timings = fastTimings();
        timings.runTimeout = 100ms;
        timings.checkTimeout = 100ms;
        timings.deckUpdateTimeout = 100ms;
        timings.testMargin = 100ms;
        Session session(timings);
        session.host.silent = true;
        QVERIFY(session.connect());

        Answer<RunOutcome> run;
        Answer<Outcome> tried;
        Answer<Outcome> checked;
        Answer<QStringList> updated;
        session.model.runControl("lamp", std::nullopt, run.context(), run.handler());
        session.model.test(shellAction(0.05), tried.context(), tried.handler());
        session.model.check(shellCheck(), checked.context(), checked.handler());
        session.model.updateDeck(sampleDeck(), updated.context(), updated.handler());
        QCOMPARE(session.model.pendingRequestIDs().size(), 4);

        const QString noAnswer = "No answer from the host.";
        QCOMPARE(run.wait(), std::optional<RunOutcome>(
                                 {false, "No answer from " + session.host.info.hostName + "."}));
        QCOMPARE(tried.wait(), std::optional<Outcome>(Outcome::failed(noAnswer)));
        QCOMPARE(checked.wait(), std::optional<Outcome>(Outcome::failed(noAnswer)));
        QCOMPARE(updated.wait(), std::optional<QStringList>(QStringList{noAnswer}));
        QVERIFY(session.model.pendingControls().isEmpty());
        QVERIFY(session.model.pendingRequestIDs().isEmpty());
    }

    void triesWaitTheActionsOwnTimePlusTheMargin_data()
    {
        QTest::addColumn<std::optional<double>>("actionTimeout");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("own time-out") << std::optional<double>(0.3) << 400;
        QTest::newRow("no time-out") << std::optional<double>() << 250;
    }

    void triesWaitTheActionsOwnTimePlusTheMargin()
    {
        QFETCH(std::optional<double>, actionTimeout);
        QFETCH(int, expectedMs);
        ClientTimings timings = fastTimings();
        timings.testMargin = 100ms;
        timings.testDefaultTimeout = 250ms;
        Session session(timings);
        session.host.silent = true;
        QVERIFY(session.connect());

        QElapsedTimer clock;
        clock.start();
        Answer<Outcome> tried;
        session.model.test(shellAction(actionTimeout), tried.context(), tried.handler());
        QVERIFY(tried.wait());
        QVERIFY2(clock.elapsed() >= expectedMs, qPrintable(QString::number(clock.elapsed())));
    }

    // Qt may fire a timer of 2 s or more up to 5 % early; a time-out is a promise and must never
    // end a wait before its time. Time-outs spread over a whole second catch any rounding.
    void timeOutsNeverEndEarly()
    {
        // Qt rounds timers from 2 s on; twenty of them 50 ms apart cover every fraction of a
        // second.
        constexpr auto margin = 2000ms;
        constexpr int spreadStepMs = 50;
        constexpr int requests = 20;
        ClientTimings timings = fastTimings();
        timings.testMargin = margin;
        Session session(timings);
        session.host.silent = true;
        QVERIFY(session.connect());

        QElapsedTimer clock;
        clock.start();
        auto ended = std::make_shared<QList<std::pair<qint64, qint64>>>();
        QObject context;
        for (int i = 0; i < requests; ++i) {
            const int extraMs = i * spreadStepMs;
            const qint64 timeoutMs = margin.count() + extraMs;
            session.model.test(shellAction(extraMs / 1000.0), &context,
                               [ended, &clock, timeoutMs](const Outcome &) {
                                   ended->append({timeoutMs, clock.elapsed()});
                               });
        }
        QTRY_COMPARE_WITH_TIMEOUT(ended->size(), requests, answerLimitMs);
        for (const auto &[timeoutMs, elapsedMs] : std::as_const(*ended))
            QVERIFY2(elapsedMs >= timeoutMs,
                     qPrintable(
                         QStringLiteral("%1 ms ended after %2 ms").arg(timeoutMs).arg(elapsedMs)));
    }

    void droppedConnectionFailsEveryWaitingRequestAtOnce()
    {
        Session session;
        session.host.silent = true;
        QVERIFY(session.connect());

        Answer<RunOutcome> first;
        Answer<RunOutcome> second;
        Answer<Outcome> tried;
        Answer<QStringList> updated;
        session.model.runControl("lamp", std::nullopt, first.context(), first.handler());
        session.model.runControl("fan", true, second.context(), second.handler());
        session.model.test(shellAction(std::nullopt), tried.context(), tried.handler());
        session.model.updateDeck(sampleDeck(), updated.context(), updated.handler());
        QTRY_COMPARE(session.host.received.size(), size_t(5));

        session.host.stop();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(first.wait() && second.wait() && tried.wait() && updated.wait());
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(first.wait()->ok, false);
        QCOMPARE(tried.wait(), std::optional<Outcome>(Outcome::failed("No answer from the host.")));
        QVERIFY(session.model.pendingControls().isEmpty());
        QVERIFY(session.model.pendingRequestIDs().isEmpty());
    }

    void disconnectAnswersWaitingRequests()
    {
        Session session;
        session.host.silent = true;
        QVERIFY(session.connect());
        Answer<Outcome> checked;
        session.model.check(shellCheck(), checked.context(), checked.handler());
        session.model.disconnectFromHost();
        QCOMPARE(checked.wait(1000),
                 std::optional<Outcome>(Outcome::failed("No answer from the host.")));
    }

    void modelGoneAnswersWaitingRequests()
    {
        auto session = std::make_unique<Session>();
        session->host.silent = true;
        session->host.withholdDeck = true;
        QVERIFY(session->host.start());
        QVERIFY(Keyring().save(firstCode(), session->host.hostID()));
        session->model.connectTo(session->host.listing());
        QTRY_VERIFY(session->model.hostInfo().has_value());
        Answer<RunOutcome> run;
        Answer<bool> waited;
        Answer<QStringList> summary;
        session->model.runControl("lamp", std::nullopt, run.context(), run.handler());
        session->model.waitUntilConnected(60s, waited.context(), waited.handler());
        session->model.receiveHosts({session->host.listing()});
        session->model.diagnosticSummary(summary.context(), summary.handler());
        session.reset();
        QCOMPARE(run.wait(1000)->ok, false);
        QCOMPARE(waited.wait(1000), std::optional<bool>(false));
        QVERIFY(summary.wait());
        QCOMPARE(run.count(), 1);
        QCOMPARE(waited.count(), 1);
        QCOMPARE(summary.count(), 1);
    }

    // A caller gone before its answer hears nothing, even when another object now lives where
    // it lived: the answer must not go to whatever is at the old address.
    void aCallerGoneBeforeTheAnswerHearsNothing()
    {
        Session session;
        session.host.silent = true;
        QVERIFY(session.connect());
        int answers = 0;
        const auto count = [&answers](const auto &) { ++answers; };
        // Each caller is built, asks, is destroyed, and a stranger is built in its place.
        constexpr int callers = 4;
        struct Place {
            alignas(QObject) std::byte bytes[sizeof(QObject)];
        };
        std::array<Place, callers> places;
        const auto callerAt = [&places](int i) { return new (places[i].bytes) QObject; };
        session.model.runControl("lamp", std::nullopt, callerAt(0),
                                 std::function<void(RunOutcome)>(count));
        session.model.test(shellAction(std::nullopt), callerAt(1),
                           std::function<void(Outcome)>(count));
        session.model.check(shellCheck(), callerAt(2), std::function<void(Outcome)>(count));
        session.model.updateDeck(sampleDeck(), callerAt(3),
                                 std::function<void(QStringList)>(count));
        std::array<QObject *, callers> strangers{};
        for (int i = 0; i < callers; ++i) {
            std::launder(reinterpret_cast<QObject *>(places[i].bytes))->~QObject();
            strangers[i] = callerAt(i);
        }
        // Every waiting request is answered now, with no answer from the host.
        session.model.disconnectFromHost();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(answers, 0);
        for (QObject *stranger : strangers)
            stranger->~QObject();
    }

    void anAnswerForACallerThatWentIsDropped_data()
    {
        QTest::addColumn<RequestKind>("kind");
        QTest::addColumn<AfterCallerWent>("after");
        const std::pair<RequestKind, const char *> kinds[] = {
            {RequestKind::run, "run"},
            {RequestKind::tryAction, "try"},
            {RequestKind::check, "check"},
            {RequestKind::deckUpdate, "deck update"},
        };
        const std::pair<AfterCallerWent, const char *> moments[] = {
            {AfterCallerWent::answer, "the answer"},
            {AfterCallerWent::timeOut, "the time-out"},
            {AfterCallerWent::modelGone, "the model's end"},
        };
        for (const auto &[kind, kindName] : kinds) {
            for (const auto &[after, afterName] : moments)
                QTest::addRow("%s, caller gone before %s", kindName, afterName) << kind << after;
        }
    }

    // A window closed or a script call ended while its request was out: whatever ends the
    // request later must not reach the caller's freed object, and a caller still there gets its
    // answer as usual.
    void anAnswerForACallerThatWentIsDropped()
    {
        QFETCH(RequestKind, kind);
        QFETCH(AfterCallerWent, after);
        ClientTimings timings = fastTimings();
        if (after == AfterCallerWent::timeOut) {
            timings.runTimeout = 200ms;
            timings.testDefaultTimeout = 200ms;
            timings.checkTimeout = 200ms;
            timings.deckUpdateTimeout = 200ms;
        }
        auto session = std::make_unique<Session>(timings);
        session->host.holdReplies = after == AfterCallerWent::answer;
        session->host.silent = after != AfterCallerWent::answer;
        QVERIFY(session->connect());

        auto went = std::make_unique<QObject>();
        QObject stays;
        const auto wentAnswers = std::make_shared<int>(0);
        const auto staysAnswers = std::make_shared<int>(0);
        startRequest(session->model, kind, went.get(), wentAnswers);
        startRequest(session->model, kind, &stays, staysAnswers);
        QCOMPARE(session->model.pendingRequestIDs().size(), 2);
        QTRY_COMPARE(session->host.received.size(), size_t(3));
        went.reset();

        if (after == AfterCallerWent::answer)
            session->host.releaseReplies();
        else if (after == AfterCallerWent::modelGone)
            session.reset();
        QTRY_COMPARE_WITH_TIMEOUT(*staysAnswers, 1, answerLimitMs);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(*wentAnswers, 0);
        if (session)
            QVERIFY(session->model.pendingRequestIDs().isEmpty());
    }

    void replyAfterTheTimeOutBecomesANotice()
    {
        ClientTimings timings = fastTimings();
        timings.runTimeout = 50ms;
        Session session(timings);
        session.host.silent = true;
        QVERIFY(session.connect());
        Answer<RunOutcome> run;
        session.model.runControl("lamp", std::nullopt, run.context(), run.handler());
        QVERIFY(run.wait());
        QVERIFY(!run.wait()->ok);

        const Message::TriggerAction trigger = *session.lastTrigger();
        session.host.broadcast(
            Message(Message::ActionResult{trigger.requestID, "lamp", false, std::nullopt}));
        QTRY_COMPARE(session.model.lastNotice(), std::optional<QString>("Desk Lamp failed: "));
        QCOMPARE(run.count(), 1);
    }

    void repliesOfTheRightKind()
    {
        Session session;
        QVERIFY(session.connect());
        Answer<Outcome> tried;
        Answer<Outcome> checked;
        Answer<QStringList> updated;
        session.model.test(shellAction(2), tried.context(), tried.handler());
        session.model.check(shellCheck(), checked.context(), checked.handler());
        QCOMPARE(tried.wait(), std::optional<Outcome>(Outcome::action(true, "tested")));
        QCOMPARE(checked.wait(), std::optional<Outcome>(Outcome::statusCheck(true, "tested")));

        const Deck changed = sampleDeck("Changed");
        session.model.updateDeck(changed, updated.context(), updated.handler());
        QCOMPARE(updated.wait(), std::optional<QStringList>(QStringList()));
        QTRY_COMPARE(session.model.deck(), std::optional<Deck>(changed));
        QCOMPARE(ClientModel::cachedDeck(), std::optional<Deck>(changed));
    }

    void unsolicitedResultsAndErrorsBecomeNotices()
    {
        Session session;
        QVERIFY(session.connect());
        session.host.broadcast(Message(Message::DeckUpdateResult{"x", false, {"one", "two"}}));
        QTRY_COMPARE(session.model.lastNotice(),
                     std::optional<QString>("Actions not updated: one; two"));
        session.host.broadcast(Message(Message::ActionResult{"y", "gone", true, std::nullopt}));
        QTRY_COMPARE(session.model.lastNotice(), std::optional<QString>("gone: ok"));
        session.host.broadcast(
            Message(Message::Error{Message::ErrorCode::deckEditingDisabled, "off here"}));
        QTRY_COMPARE(session.model.lastNotice(),
                     std::optional<QString>("deck_editing_disabled: off here"));
        QVERIFY(session.model.isConnected());
    }

    void stateUpdatesMerge()
    {
        Session session;
        session.host.states = {state("fan", true), state("temp", false)};
        QVERIFY(session.connect());
        QTRY_COMPARE(session.model.states().size(), 2);
        QSignalSpy changes(&session.model, &ClientModel::statesChanged);

        session.host.broadcast(Message(Message::StateUpdate{{}}));
        session.host.broadcast(Message(Message::StateUpdate{{state("fan", false)}}));
        QTRY_COMPARE(session.model.state("fan")->isOn, std::optional<bool>(false));
        QCOMPARE(session.model.state("temp"), std::optional<ControlState>(state("temp", false)));
        QCOMPARE(changes.size(), 1);
    }

    void waitUntilConnected()
    {
        ClientModel idle("Remote", KeychainTokenStore(), false, fastTimings());
        Answer<bool> now;
        idle.waitUntilConnected(0ms, now.context(), now.handler());
        QCOMPARE(now.wait(1000), std::optional<bool>(false));
        QVERIFY(idle.isBrowsing());

        Session session;
        session.host.withholdDeck = true;
        QVERIFY(session.host.start());
        QVERIFY(Keyring().save(firstCode(), session.host.hostID()));
        session.model.connectTo(session.host.listing());
        QTRY_VERIFY(session.model.hostInfo().has_value());
        Answer<bool> withoutDeck;
        session.model.waitUntilConnected(200ms, withoutDeck.context(), withoutDeck.handler());
        QCOMPARE(withoutDeck.wait(), std::optional<bool>(false));

        Answer<bool> withDeck;
        session.model.waitUntilConnected(10s, withDeck.context(), withDeck.handler());
        session.host.broadcast(Message(sampleDeck()));
        QCOMPARE(withDeck.wait(), std::optional<bool>(true));
    }

    void diagnosticSummary()
    {
        Session session;
        QVERIFY(session.connect());
        session.model.receiveHosts({session.host.listing()});
        Answer<QStringList> summary;
        session.model.diagnosticSummary(summary.context(), summary.handler());
        const QString name = session.host.listing().name;
        const QStringList lines = *summary.wait();
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(0), "Status: connected to " + name);
        QCOMPARE(lines.at(1), "Hosts found: " + name + " (v2, code saved: yes)");
        QCOMPARE(lines.at(2), "Remembered host: " + name);
        QCOMPARE(lines.at(3), "Looking for hosts: no");
        QCOMPARE(lines.at(4), "Local network blocked: no; offline: no");
        QCOMPARE(lines.at(5), "Host: " + name + " 1.0, editing from other devices allowed");
        QVERIFY(lines.at(6).startsWith("TLS: "));
        QCOMPARE(lines.at(7), "Actions: 3");
        // The keyring never syncs here: no line speaks of iCloud.
        QVERIFY(!lines.join('\n').contains("iCloud"));

        session.model.disconnectFromHost();
        Answer<QStringList> later;
        session.model.diagnosticSummary(later.context(), later.handler());
        QVERIFY(later.wait()->contains("Actions: 3 (remembered)"));
        QCOMPARE(later.wait()->first(), "Status: not connected");
    }
};

QTEST_GUILESS_MAIN(ClientModelRequestsTest)
#include "ClientModelRequestsTest.moc"

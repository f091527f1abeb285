#include "Quorvel/Outside/LinkHandler.h"
#include "Quorvel/Outside/LinkApprovals.h"

#include "OutsideTestSupport.h"

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

struct Notice {
    QString title;
    QString body;
    friend bool operator==(const Notice &, const Notice &) = default;
};

class RecordedNotices : public LinkNotices {
public:
    void postNotice(const QString &title, const QString &body) override
    {
        notices.append({title, body});
    }
    QList<Notice> notices;
};

// Holds every question until the test answers it.
class HeldAsker : public LinkApprovalAsker {
public:
    void ask(const ApprovalQuestion &question, std::function<void(bool)> onAnswer) override
    {
        questions.append(question);
        answers.append(std::move(onAnswer));
    }
    void answer(qsizetype index, bool yes) { answers.at(index)(yes); }
    QList<ApprovalQuestion> questions;
    QList<std::function<void(bool)>> answers;
};

const LinkSender editor{QStringLiteral("org.example.Editor.desktop"), QStringLiteral("Editor")};

// The handler with a real model linked to a host on loopback.
struct Links {
    explicit Links(std::chrono::milliseconds wait = ActionRunner::defaultConnectionWait)
        : session(wait), handler(&session.runner, &approvals, &notices, &asker)
    {}
    Session session;
    LinkApprovals approvals;
    RecordedNotices notices;
    HeldAsker asker;
    LinkHandler handler;
};

QString unreachable(const QString &host)
{
    return QStringLiteral("Couldn't reach ") + host +
           QStringLiteral(". It may be asleep or turned off, or on a different network from this "
                          "computer.");
}

} // namespace

// One opened link from parsing to the run, against a real client model and a host on loopback.
class LinkHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void endsInOneNotice_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("asks");

        QTest::newRow("unknown link") << "quorvel://jump/lamp"
                                      << "Quorvel doesn't know this link"
                                      << "quorvel://jump/lamp" << false;
        QTest::newRow("no such action") << "quorvel://run/nope"
                                        << "Couldn't run nope"
                                        << "HOST has no action called nope." << false;
        QTest::newRow("a button turned on")
            << "quorvel://on/lamp"
            << "Couldn't run Desk Lamp"
            << "It's a button, so it can't be turned on or off. Use quorvel://run/lamp." << true;
        QTest::newRow("a readout by its title")
            << "quorvel://run/TEMPERATURE"
            << "Couldn't run Temperature"
            << "It's a readout, so there's nothing to run." << true;
    }

    void endsInOneNotice()
    {
        QFETCH(QString, url);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QFETCH(bool, asks);
        Links links;
        QVERIFY(links.session.connect());
        links.handler.handleLink(QUrl(url), std::nullopt);
        if (asks) {
            QTRY_COMPARE(links.asker.questions.size(), 1);
            links.asker.answer(0, true);
        }
        QTRY_COMPARE(links.notices.notices.size(), 1);
        QCOMPARE(links.asker.questions.size(), asks ? 1 : 0);
        QCOMPARE(links.notices.notices.at(0),
                 (Notice{title, QString(body).replace("HOST", links.session.host.info.hostName)}));
        QCOMPARE(links.session.triggerCount(), 0);
    }

    void runsAfterTheAnswerAndRemembersIt()
    {
        Links links;
        links.session.host.states = {stateOf("fan", true)};
        QVERIFY(links.session.connect());
        links.handler.handleLink(QUrl("quorvel://run/fan"), editor);
        QTRY_COMPARE(links.asker.questions.size(), 1);
        const ApprovalQuestion question = links.asker.questions.at(0);
        QCOMPARE(question.message(), QStringLiteral("Let Editor run your actions?"));
        QCOMPARE(question.informativeText(),
                 "Editor opened a link to run \u201CFan\u201D on " +
                     links.session.host.info.hostName +
                     ".\n\nIf you allow it, Editor can run any of your actions with links from now "
                     "on, without asking. You can change this in Quorvel's settings.");
        QCOMPARE(question.yesButton(), QStringLiteral("Allow"));
        links.asker.answer(0, true);
        // A flip of a switch that is on turns it off.
        QTRY_COMPARE(links.session.triggerCount(), 1);
        QCOMPARE(links.session.lastTrigger()->desiredState, std::optional<bool>(false));
        QCOMPARE(links.approvals.decision(editor.appID), std::optional<bool>(true));

        // The approved opener runs without an alert; a run succeeds silently.
        links.handler.handleLink(QUrl("quorvel://run/lamp?state=on"), editor);
        QTRY_COMPARE(links.notices.notices.size(), 1);
        QCOMPARE(links.notices.notices.at(0).body,
                 QStringLiteral("It's a button, so it can't be turned on or off. Use "
                                "quorvel://run/lamp."));
        links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(links.session.triggerCount(), 2);
        QCOMPARE(links.asker.questions.size(), 1);
        // The host has the trigger; its result reaches the model later, and the run's end
        // reaches the handler one turn of the event loop after that.
        QTRY_COMPARE(links.session.model.pendingControls().size(), 0);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(links.notices.notices.size(), 1);
    }

    void aRefusedOpenerIsToldAtOnce()
    {
        Links links;
        links.approvals.record(editor.appID, editor.name, false);
        links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QCOMPARE(links.notices.notices,
                 (QList<Notice>{{"Links from Editor are turned off",
                                 "Allow them in Quorvel's settings (General → Links)."}}));
        QVERIFY(!links.session.model.isBrowsing());
    }

    void saidNoEndsSilently()
    {
        Links links;
        QVERIFY(links.session.connect());
        links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(links.asker.questions.size(), 1);
        links.asker.answer(0, false);
        QCOMPARE(links.approvals.decision(editor.appID), std::optional<bool>(false));
        QCOMPARE(links.notices.notices.size(), 0);
        QCOMPARE(links.session.triggerCount(), 0);
    }

    void oneAlertPerOpenerAtATime()
    {
        Links links;
        QVERIFY(links.session.connect());
        for (int i = 0; i < 3; ++i)
            links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        links.handler.handleLink(QUrl("quorvel://off/fan"), std::nullopt);
        QTRY_COMPARE(links.asker.questions.size(), 2);
        QCOMPARE(links.asker.questions.at(0).sender, std::optional<LinkSender>(editor));
        QVERIFY(!links.asker.questions.at(1).sender);
        links.asker.answer(0, true);
        QTRY_COMPARE(links.session.triggerCount(), 3);
        QCOMPARE(links.asker.questions.size(), 2);
    }

    void withoutASenderEveryLinkAsks()
    {
        Links links;
        QVERIFY(links.session.connect());
        links.handler.handleLink(QUrl("quorvel://off/fan"), std::nullopt);
        QTRY_COMPARE(links.asker.questions.size(), 1);
        const ApprovalQuestion question = links.asker.questions.at(0);
        QCOMPARE(question.message(),
                 "Run \u201CFan\u201D on " + links.session.host.info.hostName + "?");
        QCOMPARE(question.yesButton(), QStringLiteral("Run"));
        QCOMPARE(question.noButton(), QStringLiteral("Don't Run"));
        links.asker.answer(0, true);
        QTRY_COMPARE(links.session.triggerCount(), 1);
        QCOMPARE(links.session.lastTrigger()->desiredState, std::optional<bool>(false));

        links.handler.handleLink(QUrl("quorvel://off/fan"), std::nullopt);
        QTRY_COMPARE(links.asker.questions.size(), 2);
        QVERIFY(links.approvals.entries().isEmpty());
    }

    void hostOutOfReach()
    {
        Links links(shortConnectionWait);
        links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(links.notices.notices.size(), 1);
        QCOMPARE(links.notices.notices.at(0),
                 (Notice{"Couldn't run lamp", unreachable("your Quorvel host")}));
        QVERIFY(links.asker.questions.isEmpty());
        // The link started the search for the host.
        QVERIFY(links.session.model.isBrowsing());
    }

    void aFailedRunIsNoticed()
    {
        Links links;
        QVERIFY(links.session.connect());
        links.approvals.record(editor.appID, editor.name, true);
        // The host no longer has the action the remote still lists, so it refuses the run.
        Deck withoutLamp = sampleDeck();
        withoutLamp.controls.erase(withoutLamp.controls.begin());
        links.session.host.setDeckQuietly(withoutLamp);
        links.handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(links.notices.notices.size(), 1);
        QCOMPARE(links.notices.notices.at(0).title, QStringLiteral("Couldn't run Desk Lamp"));
        QVERIFY(links.notices.notices.at(0).body.startsWith("Desk Lamp didn't work: "));
    }

    void aLinkWhoseHandlerWentEndsQuietly_data()
    {
        QTest::addColumn<bool>("modelEnds");
        QTest::newRow("handler gone before the run's answer") << false;
        QTest::newRow("handler gone before the model's end") << true;
    }

    // The handler is the run's receiver: what ends the run after the handler went reaches
    // nothing.
    void aLinkWhoseHandlerWentEndsQuietly()
    {
        QFETCH(bool, modelEnds);
        auto session = std::make_unique<Session>();
        LinkApprovals approvals;
        RecordedNotices notices;
        HeldAsker asker;
        auto handler =
            std::make_unique<LinkHandler>(&session->runner, &approvals, &notices, &asker);
        approvals.record(editor.appID, editor.name, true);
        session->host.holdReplies = true;
        QVERIFY(session->connect());
        handler->handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(session->triggerCount(), 1);
        handler.reset();
        if (modelEnds) {
            session.reset();
        } else {
            session->host.releaseReplies();
            QTRY_VERIFY(session->model.pendingRequestIDs().isEmpty());
        }
        QCoreApplication::sendPostedEvents();
        QVERIFY(notices.notices.isEmpty());
    }

    void aRunnerGoneWhileWaitingForTheHost_data()
    {
        QTest::addColumn<bool>("throughALink");
        QTest::newRow("a link") << true;
        QTest::newRow("finding an action") << false;
    }

    // The wait for the host is held by the model, which outlives the runner here: once the host
    // is ready the runner is not asked again, and the caller hears that the host was not reached.
    void aRunnerGoneWhileWaitingForTheHost()
    {
        QFETCH(bool, throughALink);
        Session session;
        LinkApprovals approvals;
        RecordedNotices notices;
        HeldAsker asker;
        auto runner = std::make_unique<ActionRunner>(&session.model);
        LinkHandler handler(runner.get(), &approvals, &notices, &asker);
        approvals.record(editor.appID, editor.name, true);
        QObject caller;
        std::optional<ActionRunner::Found> found;
        if (throughALink)
            handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        else
            runner->findAction("lamp", &caller, [&found](const auto &answer) { found = answer; });
        runner.reset();
        QVERIFY(session.connect());
        if (throughALink) {
            QTRY_COMPARE(notices.notices.size(), 1);
            QCOMPARE(notices.notices.at(0).title, QStringLiteral("Couldn't run lamp"));
        } else {
            QTRY_VERIFY(found.has_value());
            QVERIFY(!found->control);
            QCOMPARE(found->error->kind, ActionIntentError::Case::notConnected);
        }
        QCOMPARE(session.triggerCount(), 0);
    }

    void longUrlsAreClipped()
    {
        const QString url = "quorvel://x/" + QString(500, u'a');
        const QString shown = LinkHandler::shownUrl(url);
        QCOMPARE(shown.size(), LinkHandler::longestShownUrl);
        QVERIFY(shown.endsWith(u'\u2026'));
        QCOMPARE(LinkHandler::shownUrl("quorvel://run/a"), QStringLiteral("quorvel://run/a"));
    }
};

QTEST_GUILESS_MAIN(LinkHandlerTest)
#include "LinkHandlerTest.moc"

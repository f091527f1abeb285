#include "ClientTestSupport.h"
#include "EditorFixture.h"

#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QLocale>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::EditorTest;
using SaveMessage = DeckEditorModel::SaveMessage;

namespace {

// Long enough for a deck update on loopback; the test that waits it out sets it.
constexpr auto unansweredUpdateTimeout = 150ms;

// An editor on a real client model connected to a small host of its own on loopback.
struct Session {
    explicit Session(ClientTimings timings = fastTimings())
        : host(firstCode(), threeActions(), uniqueHostName()),
          model("Remote", KeychainTokenStore(), false, timings)
    {}

    bool connectTo(TestHost &target)
    {
        if (!target.start() || !Keyring().save(firstCode(), target.hostID()))
            return false;
        model.connectTo(target.listing());
        return QTest::qWaitFor([this] { return model.isConnected(); }, answerLimitMs);
    }
    bool open()
    {
        if (!connectTo(host))
            return false;
        editor.appear();
        return editor.hasDeck();
    }

    void retitle(int index, const QString &title)
    {
        Control control = editor.items().at(index).control;
        control.title = title;
        editor.setControl(editor.items().at(index).id, control);
    }
    int updatesReceived() const
    {
        return int(std::count_if(host.received.cbegin(), host.received.cend(),
                                 [](const Message &m) { return m.as<Message::UpdateDeck>(); }));
    }

    TestHost host;
    ClientModel model;
    ClientModelEditorClient client{model};
    DeckEditorModel editor{client};
};

} // namespace

// Saving the working copy to a host over a real link on loopback, with the host's answers, its
// silence and its changes.
class DeckEditorSaveTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void aSavedDeckBecomesTheHostsAndItsEchoChangesNothing()
    {
        Session session;
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");
        session.editor.moveItem(session.editor.items().at(2).id, -1);
        const Deck draft = session.editor.draftDeck();
        session.editor.save();
        QTRY_COMPARE(session.editor.saveMessage(),
                     std::optional(SaveMessage{true, "Saved to " + session.host.info.hostName}));
        QTRY_COMPARE(session.model.deck(), std::optional(draft));
        QCOMPARE(session.editor.unsavedChangeCount(), 0);
        QVERIFY(!session.editor.hostChangedWhileEditing());
        QVERIFY(!session.editor.canSave());
    }

    void aRefusalShowsEveryProblemInTheHostsOrder()
    {
        Session session;
        session.host.refuseDeckUpdates =
            QStringList{"\"fan\": title is empty", "\"lamp\": action target is empty"};
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");
        session.editor.save();
        QTRY_VERIFY(session.editor.saveMessage().has_value());
        QCOMPARE(session.editor.saveMessage(),
                 std::optional(SaveMessage{
                     false, "\"fan\": Give it a name. \"lamp\": Choose what pressing it does."}));
        QCOMPARE(session.editor.unsavedChangeCount(), 1);
        QVERIFY(session.editor.canSave());
    }

    void aHostThatNeverAnswersEndsTheSave()
    {
        ClientTimings timings = fastTimings();
        timings.deckUpdateTimeout = unansweredUpdateTimeout;
        Session session(timings);
        session.host.silent = true;
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");
        session.editor.save();
        QVERIFY(session.editor.saving());
        QTRY_COMPARE(session.editor.saveMessage(),
                     std::optional(SaveMessage{false, "No answer from the host."}));
        QVERIFY(!session.editor.saving());
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        QVERIFY(session.editor.canSave());
    }

    // One byte past what the link carries: the link would never send it and the host would never
    // answer, so the editor says so at once and keeps the working copy.
    void actionsTooLargeToSendAreRefusedAtOnce()
    {
        Session session;
        QVERIFY(session.open());
        const auto messageSize = [&session] {
            const Message update(Message::UpdateDeck{Message::newRequestID(),
                                                     session.editor.draftDeck()});
            return WireCodec::encode(update)->size();
        };
        session.retitle(0, QString());
        const qint64 over = LinkParameters::maxMessageSize + 1 - messageSize();
        session.retitle(0, QString(over, u'x'));
        QCOMPARE(messageSize(), LinkParameters::maxMessageSize + 1);
        QVERIFY(session.editor.canSave());
        session.editor.save();
        // Well within the minute the session waits for a host's answer.
        QTRY_VERIFY(session.editor.saveMessage());
        const SaveMessage message = *session.editor.saveMessage();
        QVERIFY(!message.ok);
        QVERIFY2(message.text.startsWith("These actions are too large to send") &&
                     message.text.contains(QLocale().toString(LinkParameters::maxMessageSize + 1)) &&
                     message.text.contains(QLocale().toString(LinkParameters::maxMessageSize)),
                 qPrintable(message.text));
        QVERIFY(!session.editor.saving());
        QCOMPARE(session.editor.items().at(0).control.title.size(), over);
        QCOMPARE(session.editor.unsavedChangeCount(), 1);
        QVERIFY(session.editor.canSave());
        QCOMPARE(session.updatesReceived(), 0);
        QVERIFY(session.model.isConnected());
    }

    void aLinkThatDropsDuringTheSaveEndsIt()
    {
        Session session;
        session.host.silent = true;
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");
        session.editor.save();
        QTRY_COMPARE(session.updatesReceived(), 1);
        session.host.stop();
        QTRY_COMPARE(session.editor.saveMessage(),
                     std::optional(SaveMessage{false, "No answer from the host."}));
        QVERIFY(!session.editor.saving());
        QCOMPARE(session.editor.unsavedChangeCount(), 1);
        QVERIFY(!session.editor.canSave());
    }

    void anEditDuringAHeldSaveIsKept()
    {
        Session session;
        session.host.holdReplies = true;
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");
        session.editor.save();
        const Deck sent = session.editor.draftDeck();
        QTRY_COMPARE(session.updatesReceived(), 1);
        session.retitle(1, "Ceiling Fan");
        session.host.releaseReplies();
        QTRY_VERIFY(!session.editor.saving());
        QCOMPARE(session.editor.saveMessage()->ok, true);
        QTRY_COMPARE(session.model.deck(), std::optional(sent));
        QCOMPARE(session.editor.baseline(), std::optional(sent));
        QCOMPARE(session.editor.items().at(1).control.title, QString("Ceiling Fan"));
        QCOMPARE(session.editor.unsavedChangeCount(), 1);
        QVERIFY(!session.editor.hostChangedWhileEditing());
        QVERIFY(session.editor.canSave());
    }

    void switchingHostsNeverSavesOneHostsActionsOnAnother()
    {
        Session session;
        TestHost office(firstCode(), threeActions("Office"), uniqueHostName() + " Office");
        office.info.hostName = "Office";
        QVERIFY(session.open());
        session.retitle(0, "Desk Lamp");

        QVERIFY(session.connectTo(office));
        QTRY_COMPARE(session.model.deck(), std::optional(threeActions("Office")));
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        QVERIFY(session.editor.isFromOtherHost());
        QVERIFY(!session.editor.canSave());
        session.editor.keepMine();
        session.editor.save();
        QVERIFY(!session.editor.saving());

        session.editor.reloadFromHost();
        QCOMPARE(session.editor.draftDeck(), threeActions("Office"));
        session.retitle(1, "Office Fan");
        session.editor.save();
        QTRY_COMPARE(session.editor.saveMessage(),
                     std::optional(SaveMessage{true, "Saved to Office"}));
        const auto updates = [](const TestHost &host) {
            return std::count_if(host.received.cbegin(), host.received.cend(),
                                 [](const Message &m) { return m.as<Message::UpdateDeck>(); });
        };
        QCOMPARE(updates(office), 1);
        QCOMPARE(updates(session.host), 0);
    }
};

QTEST_GUILESS_MAIN(DeckEditorSaveTest)
#include "DeckEditorSaveTest.moc"

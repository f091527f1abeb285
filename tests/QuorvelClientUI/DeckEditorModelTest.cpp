#include "EditorFixture.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Quorvel;
using namespace Quorvel::EditorTest;
using SaveMessage = DeckEditorModel::SaveMessage;

namespace {

const QString hostName = QStringLiteral("Studio Host");

// An editor shown on a client connected to a host that holds deck.
struct Editor {
    explicit Editor(const Deck &deck = threeActions(), bool editingAllowed = true)
    {
        client.connectTo(hostName, deck, editingAllowed);
        model.appear();
    }

    const EditableControl &row(int index) const { return model.items().at(index); }
    void retitle(int index, const QString &title)
    {
        Control control = row(index).control;
        control.title = title;
        model.setControl(row(index).id, control);
    }
    void changeID(int index, const QString &id)
    {
        Control control = row(index).control;
        control.id = id;
        model.setControl(row(index).id, control);
    }
    QStringList rowActionIDs() const
    {
        QStringList ids;
        for (const EditableControl &item : model.items())
            ids.append(item.control.id);
        return ids;
    }

    ScriptedEditorClient client;
    DeckEditorModel model{client};
};

using Edit = std::function<void(Editor &)>;

// The edits of the count table, by name.
const QHash<QString, Edit> &edits()
{
    static const QHash<QString, Edit> table{
        {"nothing", [](Editor &) {}},
        {"retitle", [](Editor &e) { e.retitle(0, "Desk Lamp"); }},
        {"retitle and back",
         [](Editor &e) {
             e.retitle(0, "Desk Lamp");
             e.retitle(0, "Lamp");
         }},
        {"change id", [](Editor &e) { e.changeID(0, "desk_lamp"); }},
        {"remove loaded", [](Editor &e) { e.model.removeItem(e.row(1).id); }},
        {"remove all",
         [](Editor &e) {
             while (!e.model.items().isEmpty())
                 e.model.removeItem(e.row(0).id);
         }},
        {"append", [](Editor &e) { e.model.appendItem(threeActions().controls[0]); }},
        {"append then remove",
         [](Editor &e) {
             Control copy = threeActions().controls[0];
             copy.id = "lamp_2";
             e.model.appendItem(copy);
             e.model.removeItem(e.row(3).id);
         }},
        {"duplicate", [](Editor &e) { e.model.duplicateItem(e.row(0).id); }},
        {"rename deck", [](Editor &e) { e.model.setDeckName("Studio "); }},
        {"blank title", [](Editor &e) { e.model.setDeckName(" \t "); }},
        {"untitled action", [](Editor &e) { e.retitle(2, ""); }},
        {"move down", [](Editor &e) { e.model.moveItem(e.row(0).id, +1); }},
        {"move down and back",
         [](Editor &e) {
             const QUuid id = e.row(0).id;
             e.model.moveItem(id, +1);
             e.model.moveItem(id, -1);
         }},
        {"move past the ends",
         [](Editor &e) {
             e.model.moveItem(e.row(0).id, -1);
             e.model.moveItem(e.row(2).id, +1);
         }},
        {"unknown row", [](Editor &e) { e.model.removeItem(QUuid::createUuid()); }},
        {"same title, other Unicode form",
         [](Editor &e) {
             e.model.loadDeck(withTitle(threeActions(), 0, QStringLiteral("Caf\u00E9")));
             e.retitle(0, QStringLiteral("Cafe\u0301"));
         }},
    };
    return table;
}

} // namespace

// The working copy against a scripted client: counts, saving, and the host's deck changing.
class DeckEditorModelTest : public QObject {
    Q_OBJECT

private slots:
    void countsChangesAgainstTheLoadedDeck_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("problems");
        QTest::addColumn<bool>("canSave");
        QTest::newRow("fresh load") << "nothing" << 0 << 0 << 0 << false;
        QTest::newRow("one action retitled") << "retitle" << 1 << 0 << 0 << true;
        QTest::newRow("edited back") << "retitle and back" << 0 << 0 << 0 << false;
        QTest::newRow("id changed counts once") << "change id" << 1 << 0 << 0 << true;
        QTest::newRow("loaded action removed") << "remove loaded" << 1 << 1 << 0 << true;
        QTest::newRow("every action removed") << "remove all" << 3 << 3 << 0 << false;
        QTest::newRow("added action") << "append" << 1 << 0 << 2 << false;
        QTest::newRow("added then removed") << "append then remove" << 0 << 0 << 0 << false;
        QTest::newRow("duplicated action") << "duplicate" << 1 << 0 << 0 << true;
        QTest::newRow("title with trailing space") << "rename deck" << 1 << 0 << 0 << true;
        QTest::newRow("blank title") << "blank title" << 1 << 0 << 0 << false;
        QTest::newRow("action without a title") << "untitled action" << 1 << 0 << 1 << false;
        QTest::newRow("order changed") << "move down" << 1 << 0 << 0 << true;
        QTest::newRow("order changed back") << "move down and back" << 0 << 0 << 0 << false;
        QTest::newRow("moves past either end") << "move past the ends" << 0 << 0 << 0 << false;
        QTest::newRow("a row that is gone") << "unknown row" << 0 << 0 << 0 << false;
        // Saved as typed, so it is a change, though the deck rules take it for the same title.
        QTest::newRow("title in another Unicode form")
            << "same title, other Unicode form" << 1 << 0 << 0 << true;
    }
    void countsChangesAgainstTheLoadedDeck()
    {
        QFETCH(QString, edit);
        QFETCH(int, unsaved);
        QFETCH(int, removed);
        QFETCH(int, problems);
        QFETCH(bool, canSave);
        Editor editor;
        edits().value(edit)(editor);
        QCOMPARE(editor.model.unsavedChangeCount(), unsaved);
        QCOMPARE(editor.model.removedCount(), removed);
        QCOMPARE(editor.model.problemCount(), problems);
        QCOMPARE(editor.model.canSave(), canSave);
    }

    void saveNeedsEveryCondition_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("canSave");
        QTest::newRow("connected and editing allowed") << "ready" << true;
        QTest::newRow("editing off") << "editing off" << false;
        QTest::newRow("disconnected") << "idle" << false;
        QTest::newRow("a save under way") << "saving" << false;
        QTest::newRow("host changed meanwhile") << "host changed" << false;
        QTest::newRow("deck of another host") << "other host" << false;
    }
    void saveNeedsEveryCondition()
    {
        QFETCH(QString, state);
        QFETCH(bool, canSave);
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        if (state == "editing off")
            editor.client.setHostInfo(HostInfo{hostName, "1.0", false});
        if (state == "idle")
            editor.client.setStatus(ClientConnectionStatus::idle());
        if (state == "saving")
            editor.model.save();
        if (state == "host changed")
            editor.client.setDeck(withTitle(threeActions(), 1, "Ceiling Fan"));
        if (state == "other host")
            editor.client.connectTo("Other Host", threeActions("Other"));
        QCOMPARE(editor.model.canSave(), canSave);
        const size_t sentBefore = editor.client.sentDecks().size();
        editor.model.save();
        QCOMPARE(editor.client.sentDecks().size(), sentBefore + (canSave ? 1 : 0));
    }

    void draftKeepsTheTitleAsTypedAndTheRowOrder()
    {
        Editor editor;
        editor.model.setDeckName(" Studio\n");
        editor.model.moveItem(editor.row(2).id, -1);
        const Deck draft = editor.model.draftDeck();
        QCOMPARE(draft.deckName, QString(" Studio\n"));
        QCOMPARE(editor.rowActionIDs(), (QStringList{"lamp", "temp", "fan"}));
        QCOMPARE(draft.controls.size(), size_t(3));
        QCOMPARE(draft.controls[1].id, QString("temp"));
        QVERIFY(editor.model.deckNameProblems().isEmpty());
        editor.model.setDeckName("\t ");
        QCOMPARE(editor.model.deckNameProblems(), QStringList{"Give these actions a title."});
    }

    void loadingGivesFreshRowsEqualToTheirOriginals()
    {
        Editor editor;
        QCOMPARE(editor.model.items().size(), 3);
        for (const EditableControl &row : editor.model.items()) {
            QVERIFY(!row.id.isNull());
            QCOMPARE(row.original, std::optional(row.control));
        }
        const QUuid firstID = editor.row(0).id;
        editor.model.loadDeck(threeActions());
        QVERIFY(editor.row(0).id != firstID);
        QCOMPARE(editor.model.baseline(), std::optional(threeActions()));
    }

    void duplicatesGetACopyTitleAndAFreeID_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("titled") << "Lamp" << QStringList{"lamp", "lamp_copy_2", "lamp_copy", "fan"}
                                << QStringList{"Lamp", "Lamp copy", "Lamp copy", "Fan"};
        QTest::newRow("untitled") << "" << QStringList{"lamp", "lamp_3", "lamp_2", "fan"}
                                  << QStringList{"", "", "", "Fan"};
    }
    void duplicatesGetACopyTitleAndAFreeID()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, titles);
        Editor editor;
        editor.retitle(0, title);
        editor.model.duplicateItem(editor.row(0).id);
        editor.model.duplicateItem(editor.row(0).id);
        QCOMPARE(editor.rowActionIDs().mid(0, 4), ids);
        QStringList shown;
        for (int index = 0; index < 4; ++index)
            shown.append(editor.row(index).control.title);
        QCOMPARE(shown, titles);
        QVERIFY(!editor.row(1).original);
        QVERIFY(!editor.row(2).original);
    }

    void anotherRowWithTheSameIDIsAProblemOfBoth()
    {
        Editor editor;
        editor.changeID(1, "lamp");
        QCOMPARE(editor.model.problemCount(), 2);
        QVERIFY(editor.model.actionProblems(editor.row(0).control)
                    .contains("Another action uses the same ID. Change one in Advanced."));
        QVERIFY(!editor.model.canSave());
        editor.changeID(1, "fan");
        QCOMPARE(editor.model.problemCount(), 0);
    }

    void hostChangesFollowTheRules()
    {
        Editor editor;
        QSignalSpy rows(&editor.model, &DeckEditorModel::rowsChanged);
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");

        // The same deck again changes nothing.
        editor.client.setDeck(threeActions());
        QCOMPARE(rows.count(), 0);
        // A different deck with nothing unsaved loads silently.
        editor.client.setDeck(theirs);
        QCOMPARE(editor.model.baseline(), std::optional(theirs));
        QCOMPARE(editor.row(1).control.title, QString("Ceiling Fan"));
        QVERIFY(!editor.model.hostChangedWhileEditing());
        // With unsaved changes it only raises the banner.
        editor.retitle(0, "Desk Lamp");
        editor.client.setDeck(threeActions());
        QVERIFY(editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.model.baseline(), std::optional(theirs));
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
        // No deck at all is no change.
        editor.client.setDeck(std::nullopt);
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
    }

    void silentReloadClearsTheSaveMessage()
    {
        Editor editor;
        editor.client.setUpdateAnswer(QStringList{"nope"});
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        QTRY_COMPARE(editor.model.saveMessage(), std::optional(SaveMessage{false, "nope"}));
        editor.model.discardChanges();
        QCOMPARE(editor.model.saveMessage(), std::nullopt);
        editor.client.setDeck(withTitle(threeActions(), 0, "Other"));
        QCOMPARE(editor.row(0).control.title, QString("Other"));
    }

    void aSavedMessageGivesWayAtTheFirstEdit_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("saved");
        for (const char *edit : {"retitle", "change id", "remove loaded", "append", "duplicate",
                                 "rename deck", "move down"}) {
            QTest::addRow("saved, %s", edit) << QString(edit) << true;
            QTest::addRow("refused, %s", edit) << QString(edit) << false;
        }
    }
    // "Saved to" is no longer true once the copy changes again; a refusal's reason stays in
    // view while the user mends the actions.
    void aSavedMessageGivesWayAtTheFirstEdit()
    {
        QFETCH(QString, edit);
        QFETCH(bool, saved);
        Editor editor;
        editor.retitle(2, "Outside");
        editor.model.save();
        QVERIFY(editor.client.answerUpdate(saved ? QStringList{} : QStringList{"nope"}));
        const SaveMessage message =
            saved ? SaveMessage{true, "Saved to " + hostName} : SaveMessage{false, "nope"};
        QCOMPARE(editor.model.saveMessage(), std::optional(message));
        edits().value(edit)(editor);
        QVERIFY(editor.model.unsavedChangeCount() > 0);
        QCOMPARE(editor.model.saveMessage(), saved ? std::nullopt : std::optional(message));
    }

    void applyingJSONEndsASavedMessage()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        QVERIFY(editor.client.answerUpdate({}));
        QVERIFY(editor.model.saveMessage());
        QVERIFY(!editor.model.applyDeckJSON(QString::fromUtf8(
            *WireCodec::prettyEncoder(true).encode(withTitle(threeActions(), 1, "Ceiling Fan")))));
        QCOMPARE(editor.model.saveMessage(), std::nullopt);
    }

    // Discard throws the edits away for what the host holds now, not for the deck the edits
    // started from: that one is gone from the host, so showing it again would bring back a stale
    // copy under a banner with nothing left to choose.
    void discardDuringAConflictShowsTheHostsDeck()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        editor.client.setDeck(theirs);
        QVERIFY(editor.model.hostChangedWhileEditing());
        QSignalSpy changed(&editor.model, &DeckEditorModel::changed);
        editor.model.discardChanges();
        QCOMPARE(editor.model.draftDeck(), theirs);
        QCOMPARE(editor.model.baseline(), std::optional(theirs));
        QCOMPARE(editor.model.unsavedChangeCount(), 0);
        QVERIFY(!editor.model.hostChangedWhileEditing());
        QVERIFY(!editor.model.canSave());
        QVERIFY(changed.count() > 0);
    }

    void savingTakesTheSentDeckAsBaseline()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        QVERIFY(editor.model.saving());
        QVERIFY(!editor.model.canSave());
        QCOMPARE(editor.client.sentDecks().back(), editor.model.draftDeck());
        QVERIFY(editor.client.answerUpdate({}));
        QVERIFY(!editor.model.saving());
        QCOMPARE(editor.model.saveMessage(),
                 std::optional(SaveMessage{true, "Saved to " + hostName}));
        QCOMPARE(editor.model.unsavedChangeCount(), 0);
        QVERIFY(!editor.model.canSave());
        QCOMPARE(editor.model.baseline(), std::optional(editor.client.sentDecks().back()));
        // Discard goes back to what was saved, not to what was loaded before.
        editor.retitle(0, "Other");
        editor.model.discardChanges();
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
    }

    void refusalsAreRewordedAndJoinedInOrder()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        QVERIFY(editor.client.answerUpdate(
            {"\"lamp\": on_action target is empty", "\"fan\": title is empty"}));
        QCOMPARE(editor.model.saveMessage(),
                 std::optional(SaveMessage{false, "\"lamp\": Choose what turning it on does. "
                                                  "\"fan\": Give it a name."}));
        QCOMPARE(editor.model.unsavedChangeCount(), 1);
        QVERIFY(editor.model.canSave());
    }

    // Edits made while the host considers a save are not wiped by its success.
    void editsDuringASaveSurviveItsSuccess()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        const Deck sent = editor.client.sentDecks().back();
        editor.retitle(1, "Ceiling Fan");
        editor.model.appendItem(withTitle(threeActions(), 0, "New").controls[0]);
        editor.changeID(3, "new_lamp");
        editor.model.setDeckName("Studio 2");
        editor.retitle(0, "Reading Lamp");
        QVERIFY(editor.client.answerUpdate({}));

        QCOMPARE(editor.model.baseline(), std::optional(sent));
        QCOMPARE(editor.model.deckName(), QString("Studio 2"));
        QCOMPARE(editor.row(0).control.title, QString("Reading Lamp"));
        QCOMPARE(editor.row(0).original->title, QString("Desk Lamp"));
        QCOMPARE(editor.row(1).control.title, QString("Ceiling Fan"));
        QCOMPARE(editor.row(1).original->title, QString("Fan"));
        QVERIFY(!editor.row(3).original);
        // The lamp, the fan, the new action and the title.
        QCOMPARE(editor.model.unsavedChangeCount(), 4);
        QVERIFY(editor.model.canSave());
    }

    void theHostsDeckTakenDuringASaveCountsAgainstTheSavedOne()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        editor.client.setDeck(theirs);
        editor.model.reloadFromHost();
        QVERIFY(editor.client.answerUpdate({}));
        QCOMPARE(editor.model.baseline(), std::optional(editor.client.sentDecks().back()));
        // The lamp and the fan as the host had them differ from the saved ones.
        QCOMPARE(editor.model.unsavedChangeCount(), 2);
        QCOMPARE(editor.row(0).original->title, QString("Desk Lamp"));
    }

    void editsDuringASaveSurviveItsFailure()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        editor.retitle(1, "Ceiling Fan");
        QVERIFY(editor.client.answerUpdate({"The host refused the changes."}));
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
        QCOMPARE(editor.row(1).control.title, QString("Ceiling Fan"));
        QCOMPARE(editor.model.baseline(), std::optional(threeActions()));
        QCOMPARE(editor.model.unsavedChangeCount(), 2);
    }

    // While the banner shows, saving would overwrite the host's newer deck without a choice.
    void theBannerBlocksSaving()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.client.setDeck(withTitle(threeActions(), 1, "Ceiling Fan"));
        QVERIFY(editor.model.hostChangedWhileEditing());
        QVERIFY(!editor.model.canSave());
        editor.model.save();
        QVERIFY(editor.client.sentDecks().empty());
    }

    void aHostChangeNotYetSeenStopsTheSave()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.client.replaceDeckQuietly(withTitle(threeActions(), 1, "Ceiling Fan"));
        QVERIFY(editor.model.canSave());
        editor.model.save();
        QVERIFY(editor.client.sentDecks().empty());
        QVERIFY(editor.model.hostChangedWhileEditing());
        QVERIFY(!editor.model.saving());
    }

    // After Keep Mine the count measures against what the host holds now.
    void keepMineMeasuresAgainstTheHostsDeck()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        editor.client.setDeck(theirs);
        editor.model.keepMine();
        QVERIFY(!editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.model.baseline(), std::optional(theirs));
        QCOMPARE(editor.row(1).original, std::optional(theirs.controls[1]));
        // The lamp, and the fan that a save would turn back.
        QCOMPARE(editor.model.unsavedChangeCount(), 2);
        QVERIFY(editor.model.canSave());
        editor.model.discardChanges();
        QCOMPARE(editor.model.draftDeck(), theirs);
    }

    void keepMineMatchesLoadedActionsByID()
    {
        Editor editor;
        editor.changeID(0, "desk_lamp");
        Deck theirs = threeActions();
        std::swap(theirs.controls[0], theirs.controls[2]);
        theirs.controls.erase(theirs.controls.begin() + 1);
        editor.client.setDeck(theirs);
        editor.model.keepMine();
        QCOMPARE(editor.row(0).original->id, QString("lamp"));
        QVERIFY(!editor.row(1).original);
        QCOMPARE(editor.row(2).original->id, QString("temp"));
    }

    // A deck from another host never counts as a change of this one.
    void anotherHostsDeckIsOfferedNotMerged()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        const Deck other = threeActions("Office");
        editor.client.setStatus(ClientConnectionStatus::idle());
        editor.client.setDeck(std::nullopt);
        editor.client.connectTo("Office Host", other);

        QVERIFY(!editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
        QCOMPARE(editor.model.baseline(), std::optional(threeActions()));
        QVERIFY(!editor.model.canSave());
        QVERIFY(editor.model.isFromOtherHost());
        editor.model.keepMine();
        QCOMPARE(editor.model.baseline(), std::optional(threeActions()));
        QVERIFY(!editor.model.canSave());

        editor.model.reloadFromHost();
        QVERIFY(!editor.model.isFromOtherHost());
        QCOMPARE(editor.model.draftDeck(), other);
    }

    void anotherHostsDeckLoadsWhenNothingIsUnsaved()
    {
        Editor editor;
        editor.client.connectTo("Office Host", threeActions("Office"));
        QVERIFY(!editor.model.isFromOtherHost());
        QCOMPARE(editor.model.deckName(), QString("Office"));
    }

    // A save that got no answer may have been taken; its deck arriving later says so.
    void aSaveThatGotNoAnswerIsRecognisedWhenItsDeckArrives()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.save();
        const Deck sent = editor.client.sentDecks().back();
        QVERIFY(editor.client.answerUpdate({ClientModel::noAnswerFromTheHost}));
        QCOMPARE(editor.model.saveMessage(),
                 std::optional(SaveMessage{false, ClientModel::noAnswerFromTheHost}));
        editor.retitle(1, "Ceiling Fan");

        editor.client.setDeck(sent);
        QVERIFY(!editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.model.baseline(), std::optional(sent));
        QCOMPARE(editor.model.unsavedChangeCount(), 1);
        QCOMPARE(editor.model.saveMessage(),
                 std::optional(SaveMessage{true, "Saved to " + hostName}));
    }

    void aHostDeckEqualToTheDraftLoadsSilently()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        const QUuid rowID = editor.row(0).id;
        editor.client.setDeck(editor.model.draftDeck());
        QVERIFY(!editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.model.unsavedChangeCount(), 0);
        QCOMPARE(editor.row(0).id, rowID);
    }

    // A kept window shown again does not replace what the user was editing.
    void onlyTheFirstShowLoads()
    {
        Editor editor;
        editor.retitle(0, "Desk Lamp");
        editor.model.appear();
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
        editor.client.replaceDeckQuietly(withTitle(threeActions(), 1, "Ceiling Fan"));
        editor.model.appear();
        QVERIFY(editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
    }

    // A sheet works on the rows; a host change never replaces them underneath it.
    void aHostChangeWhileASheetIsOpenIsAConflict()
    {
        Editor editor;
        editor.model.beginDeckJSON();
        QString text = editor.model.deckJSONText();
        const QUuid rowID = editor.row(0).id;
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        editor.client.setDeck(theirs);
        QVERIFY(editor.model.hostChangedWhileEditing());
        QCOMPARE(editor.row(0).id, rowID);
        QCOMPARE(editor.model.applyDeckJSON(text.replace("\"Lamp\"", "\"Desk Lamp\"")),
                 std::nullopt);
        QVERIFY(!editor.model.showDeckJSON());
        QCOMPARE(editor.row(0).control.title, QString("Desk Lamp"));
        QCOMPARE(editor.row(1).control.title, QString("Fan"));
        QVERIFY(!editor.model.canSave());

        Editor another;
        another.model.sheetOpened();
        another.client.setDeck(theirs);
        QVERIFY(another.model.hostChangedWhileEditing());
        another.model.sheetClosed();
        another.model.reloadFromHost();
        QCOMPARE(another.model.draftDeck(), theirs);
    }

    // Nothing is known to be empty until the host's deck has arrived.
    void noDeckYetIsNotAnEmptyDeck()
    {
        ScriptedEditorClient client;
        DeckEditorModel model(client);
        model.appear();
        QVERIFY(!model.hasDeck());
        QVERIFY(!model.showsEmptyDeck());
        client.connectTo(hostName, Deck{"Empty", {}});
        QVERIFY(model.hasDeck());
        QVERIFY(model.showsEmptyDeck());
        QCOMPARE(model.deckName(), QString("Empty"));
    }

    void asksForTheCatalogOnShowAndWhenEditingIsAllowed()
    {
        ScriptedEditorClient client;
        client.connectTo(hostName, threeActions(), false);
        DeckEditorModel model(client);
        client.setHostInfo(HostInfo{hostName, "1.0", true});
        QCOMPARE(client.catalogRequests(), 0);
        client.setHostInfo(HostInfo{hostName, "1.0", false});
        model.appear();
        QCOMPARE(client.catalogRequests(), 0);
        client.setHostInfo(HostInfo{hostName, "1.0", true});
        QCOMPARE(client.catalogRequests(), 1);
        client.setHostInfo(HostInfo{hostName, "1.1", true});
        QCOMPARE(client.catalogRequests(), 1);
        model.appear();
        QCOMPARE(client.catalogRequests(), 2);
    }

    // An app that starts or stops offering controls changes what the host's catalog lists of
    // them; the editor asks again once it has been shown, while it may edit.
    void asksForTheCatalogWhenAppControlProvidersComeAndGo()
    {
        ScriptedEditorClient client;
        client.connectTo(hostName, threeActions(), true);
        DeckEditorModel model(client);
        model.appControlProvidersChanged();
        QCOMPARE(client.catalogRequests(), 0);
        model.appear();
        QCOMPARE(client.catalogRequests(), 1);
        model.appControlProvidersChanged();
        QCOMPARE(client.catalogRequests(), 2);
        client.setHostInfo(HostInfo{hostName, "1.0", false});
        model.appControlProvidersChanged();
        QCOMPARE(client.catalogRequests(), 2);
    }

    void discardAndReloadWithoutADeckDoNothing()
    {
        ScriptedEditorClient client;
        DeckEditorModel model(client);
        model.appear();
        model.appendItem(threeActions().controls[0]);
        model.discardChanges();
        model.reloadFromHost();
        QCOMPARE(model.items().size(), 1);
    }

    void addRequestsCarryAFreshIDAndThePreset()
    {
        Editor editor;
        editor.model.startAdding();
        const auto first = editor.model.addRequest();
        QVERIFY(first && !first->preset);
        editor.model.startAdding(threeActions().controls[1]);
        QVERIFY(editor.model.addRequest()->id != first->id);
        QCOMPARE(editor.model.addRequest()->preset, std::optional(threeActions().controls[1]));
        editor.model.finishAdding();
        QVERIFY(!editor.model.addRequest());
    }

    void deckJSONIsPrettyAndKeySorted()
    {
        ScriptedEditorClient client;
        client.connectTo(hostName, Deck{"Empty", {}});
        DeckEditorModel model(client);
        model.appear();
        const QString text = model.deckJSONText();
        QVERIFY(text.indexOf("\"controls\"") < text.indexOf("\"deck_name\""));
        QVERIFY(text.contains('\n'));
        QCOMPARE(text.simplified(), QString("{ \"controls\": [ ], \"deck_name\": \"Empty\" }"));
    }

    void applyingJSONMatchesOriginalsByID_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QList<bool>>("hasOriginal");
        QTest::newRow("unchanged") << "none" << 0 << 0 << QList<bool>{true, true, true};
        QTest::newRow("one action left out") << "leave out" << 1 << 1 << QList<bool>{true, true};
        QTest::newRow("an id changed") << "change id" << 2 << 1 << QList<bool>{true, false, true};
        QTest::newRow("a title changed")
            << "change title" << 1 << 0 << QList<bool>{true, true, true};
        QTest::newRow("no actions") << "no actions" << 3 << 3 << QList<bool>{};
    }
    void applyingJSONMatchesOriginalsByID()
    {
        QFETCH(QString, change);
        QFETCH(int, unsaved);
        QFETCH(int, removed);
        QFETCH(QList<bool>, hasOriginal);
        Editor editor;
        const QUuid firstRow = editor.row(0).id;
        editor.model.beginDeckJSON();
        Deck typed = threeActions();
        if (change == "leave out")
            typed.controls.erase(typed.controls.begin() + 1);
        if (change == "change id")
            typed.controls[1].id = "ceiling_fan";
        if (change == "change title")
            typed = withTitle(typed, 2, "Heat");
        if (change == "no actions")
            typed.controls.clear();
        const QString text = QString::fromUtf8(*WireCodec::prettyEncoder(true).encode(typed));
        QCOMPARE(editor.model.applyDeckJSON(text), std::nullopt);
        QCOMPARE(editor.model.draftDeck(), typed);
        QCOMPARE(editor.model.unsavedChangeCount(), unsaved);
        QCOMPARE(editor.model.removedCount(), removed);
        QList<bool> originals;
        for (const EditableControl &row : editor.model.items())
            originals.append(row.original.has_value());
        QCOMPARE(originals, hasOriginal);
        if (!editor.model.items().isEmpty())
            QVERIFY(editor.row(0).id != firstRow);
    }

    void applyingJSONKeepsNewActionsNew()
    {
        Editor editor;
        editor.changeID(0, "desk_lamp");
        editor.model.appendItem(withTitle(threeActions(), 0, "Spare").controls[0]);
        editor.changeID(3, "spare");
        QCOMPARE(editor.model.applyDeckJSON(editor.model.deckJSONText()), std::nullopt);
        // The renamed lamp is new and its loaded action is missing; the spare stays new.
        QVERIFY(!editor.row(0).original);
        QVERIFY(!editor.row(3).original);
        QCOMPARE(editor.model.removedCount(), 1);
        QCOMPARE(editor.model.unsavedChangeCount(), 3);
    }

    void invalidJSONChangesNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("not JSON") << "{\"deck_name\": ";
        QTest::newRow("one action")
            << "{\"id\": \"lamp\", \"title\": \"Lamp\", \"type\": \"button\"}";
        QTest::newRow("bad action") << "{\"deck_name\": \"S\", \"controls\": [{\"id\": 1}]}";
        QTest::newRow("empty") << "";
    }
    void invalidJSONChangesNothing()
    {
        QFETCH(QString, text);
        Editor editor;
        editor.model.beginDeckJSON();
        const QList<EditableControl> before = editor.model.items();
        const std::optional<QString> error = editor.model.applyDeckJSON(text);
        QVERIFY(error);
        QVERIFY(error->startsWith("That isn't a valid set of actions: "));
        QVERIFY(error->size() > QString("That isn't a valid set of actions: ").size());
        QCOMPARE(editor.model.items(), before);
        QVERIFY(editor.model.showDeckJSON());
        editor.model.cancelDeckJSON();
        QVERIFY(!editor.model.showDeckJSON());
    }
};

QTEST_GUILESS_MAIN(DeckEditorModelTest)
#include "DeckEditorModelTest.moc"

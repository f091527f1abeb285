#include "../EditorFixture.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/Banner.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/ControlJSONSheet.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckTitleButton.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainTextField.h"
#include "Widgets/ShownText.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

using namespace Quorvel;
using namespace Quorvel::EditorTest;

namespace {

// An editor over a scripted link, shown as a window.
struct Editor {
    explicit Editor(bool offersLinks = true) : live(offersLinks), model(client), view(model, live)
    {
        view.show();
    }

    void connect(bool editingAllowed = true, const Deck &deck = threeActions())
    {
        client.connectTo(QStringLiteral("Studio"), deck, editingAllowed);
    }
    ControlCard *card(int index) const { return view.cards().at(index); }
    QUuid rowID(int index) const { return model.items().at(index).id; }
    // Deletes what was dropped, as the event loop would.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

// The editor screen over its model: what is enabled in each state, saving by key, the sheets,
// the cards kept by row and what happens to open editors when the rows go.
class DeckEditorViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void enabledStatesPerStatus_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<bool>("editingOffBanner");
        QTest::addColumn<bool>("notConnectedBanner");
        QTest::newRow("connected, editing allowed")
            << 0 << true << QStringLiteral("on Studio \u00B7 3 actions") << false << false;
        QTest::newRow("connected, view only")
            << 1 << false << QStringLiteral("on Studio \u00B7 3 actions \u00B7 view only") << true
            << false;
        QTest::newRow("connection lost")
            << 2 << false << QStringLiteral("not connected: Gone") << false << true;
    }
    void enabledStatesPerStatus()
    {
        QFETCH(int, state);
        QFETCH(bool, editable);
        QFETCH(QString, subtitle);
        QFETCH(bool, editingOffBanner);
        QFETCH(bool, notConnectedBanner);
        Editor editor;
        editor.connect(state != 1);
        if (state == 2)
            editor.client.setStatus(ClientConnectionStatus::failed(QStringLiteral("Gone")));
        QCOMPARE(editor.view.subtitleText(), subtitle);
        QCOMPARE(editor.view.addButton()->isEnabled(), editable);
        QCOMPARE(editor.view.titleButton()->toolTip().isEmpty(), !editable);
        QCOMPARE(editor.view.editingOffBanner()->isVisible(), editingOffBanner);
        QCOMPARE(editor.view.notConnectedBanner()->isVisible(), notConnectedBanner);
        const QList<QAction *> items = editor.view.moreMenu()->actions();
        QCOMPARE(items.at(0)->isEnabled(), editable);
        QCOMPARE(items.at(1)->text(), QStringLiteral("Reload from Studio"));
        QVERIFY(items.at(1)->isEnabled());
        QCOMPARE(items.at(2)->isEnabled(), editable);
        // Pressing the title edits it only while editing is allowed.
        QTest::mouseClick(editor.view.titleButton(), Qt::LeftButton);
        QCOMPARE(editor.view.titleField()->isVisible(), editable);
        for (ControlCard *card : editor.view.cards()) {
            QCOMPARE(card->tryButton()->isEnabled(), editable);
            QCOMPARE(card->moreButton()->isEnabled(), editable);
            for (Chip *chip : card->chips())
                QCOMPARE(chip->isEditable(), editable);
        }
        QVERIFY(!editor.view.saveButton()->isEnabled());
    }

    // Ctrl+S saves exactly when Save is enabled: not with nothing to save, not during a save.
    void ctrlSFollowsTheSaveButton()
    {
        Editor editor;
        editor.connect();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.view));
        QTest::keyClick(&editor.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(editor.client.sentDecks().size(), size_t(0));
        editor.model.setDeckName(QStringLiteral("Den"));
        QVERIFY(editor.view.saveButton()->isEnabled());
        QCOMPARE(editor.view.saveButton()->text(), QStringLiteral("Save to Studio"));
        QCOMPARE(editor.view.footerText(), QStringLiteral("1 change not saved"));
        QTest::keyClick(&editor.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(editor.client.sentDecks().size(), size_t(1));
        QCOMPARE(editor.view.saveButton()->text(), QStringLiteral("Saving\u2026"));
        QVERIFY(!editor.view.saveButton()->isEnabled());
        QTest::keyClick(&editor.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(editor.client.sentDecks().size(), size_t(1));
        // A blank title blocks saving and says why.
        QVERIFY(editor.client.answerUpdate({}));
        editor.model.setDeckName(QStringLiteral("  "));
        QVERIFY(!editor.view.saveButton()->isEnabled());
        QCOMPARE(editor.view.titleText(), QStringLiteral("  "));
    }

    // Discard while the host's deck changed underneath shows the host's deck: no banner, and a
    // footer that says everything is saved.
    void discardDuringAConflictShowsTheHostsDeck()
    {
        Editor editor;
        editor.connect();
        Control lamp = editor.model.items().at(0).control;
        lamp.title = QStringLiteral("Desk Lamp");
        editor.model.setControl(editor.rowID(0), lamp);
        editor.client.setDeck(withTitle(threeActions(), 0, QStringLiteral("Reading Lamp")));
        QVERIFY(editor.view.hostChangedBanner()->isVisible());
        QVERIFY(editor.view.discardButton()->isEnabled());
        QTest::mouseClick(editor.view.discardButton(), Qt::LeftButton);
        QCOMPARE(editor.card(0)->titleText(), QStringLiteral("Reading Lamp"));
        QVERIFY(!editor.view.hostChangedBanner()->isVisible());
        QCOMPARE(editor.view.footerText(), QStringLiteral("Everything is saved on Studio"));
        QVERIFY(!editor.view.discardButton()->isEnabled());
    }

    // Apply of text that is not a deck keeps the sheet open with the error; Escape cancels.
    void deckSheetKeepsInvalidText()
    {
        Editor editor;
        editor.connect();
        editor.view.moreMenu()->actions().at(0)->trigger();
        JSONEditor *sheet = editor.view.deckSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QVERIFY(sheet->text().contains(QStringLiteral("\"deck_name\"")));
        const QList<EditableControl> before = editor.model.items();
        sheet->setText(QStringLiteral("{\"id\": \"lamp\"}"));
        QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
        QVERIFY(sheet->isVisible());
        QVERIFY(sheet->error()->startsWith(DeckEditorModel::invalidJSONPrefix));
        QCOMPARE(editor.model.items(), before);
        QTest::keyClick(sheet, Qt::Key_Escape);
        QTRY_VERIFY(!editor.view.deckSheet());
        QVERIFY(!editor.model.showDeckJSON());
        QCOMPARE(editor.model.items(), before);

        editor.model.beginDeckJSON();
        QVERIFY(editor.view.deckSheet());
        editor.view.deckSheet()->setText(
            QStringLiteral("{\"deck_name\": \"Den\", \"controls\": []}"));
        QTest::mouseClick(editor.view.deckSheet()->applyButton(), Qt::LeftButton);
        QTRY_VERIFY(!editor.view.deckSheet());
        QCOMPARE(editor.model.deckName(), QStringLiteral("Den"));
        QVERIFY(editor.view.isShowingEmptyDeck());
    }

    // The card of a row stays the same widget, with its try result, while other rows change and
    // its own action is edited; moving a row moves its card.
    void cardsAreKeptByRow()
    {
        Editor editor;
        editor.connect();
        ControlCard *lamp = editor.card(0);
        editor.client.setTestOutcome(ClientTestOutcome::action(true, QStringLiteral("lit")));
        lamp->tryIt(ControlCard::Try::action);
        QTRY_VERIFY(lamp->tryResult().has_value());
        Control fan = editor.model.items().at(1).control;
        fan.title = QStringLiteral("Ceiling fan");
        editor.model.setControl(editor.rowID(1), fan);
        Control renamed = editor.model.items().at(0).control;
        renamed.id = QStringLiteral("light");
        editor.model.setControl(editor.rowID(0), renamed);
        editor.model.moveItem(editor.rowID(0), 1);
        QCOMPARE(editor.card(1), lamp);
        QCOMPARE(lamp->tryResult(), ClientTestOutcome::action(true, QStringLiteral("lit")));
        QCOMPARE(lamp->stateText(), QStringLiteral("Changed, not saved"));
        QCOMPARE(editor.card(0)->titleText(), QStringLiteral("Ceiling fan"));
        emit lamp->moreMenu()->aboutToShow();
        QVERIFY(menuAction(lamp->moreMenu(), QStringLiteral("Move Up"))->isEnabled());
        QVERIFY(menuAction(lamp->moreMenu(), QStringLiteral("Move Down"))->isEnabled());
        menuAction(lamp->moreMenu(), QStringLiteral("Remove Action"))->trigger();
        Editor::settle();
        QCOMPARE(editor.view.cards().size(), 2);
    }

    // The host's actions change while nothing is unsaved: the rows are loaded again with new
    // ids. An open popover closes with its card, a try answered after that goes nowhere, and a
    // one-action sheet still open says its action is gone instead of writing anywhere.
    void reloadWhileEditorsAreOpen()
    {
        Editor editor;
        editor.connect();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.view));
        QPointer<ControlCard> lamp = editor.card(0);
        lamp->showRename();
        QPointer<Popover> popover = lamp->renamePopover();
        QVERIFY(popover);
        lamp->tryIt(ControlCard::Try::action);
        QVERIFY(lamp->isTrying());
        editor.client.setDeck(withTitle(threeActions(), 1, QStringLiteral("Fan 2")));
        Editor::settle();
        QVERIFY(lamp.isNull());
        QVERIFY(popover.isNull());
        QCOMPARE(editor.view.cards().size(), 3);
        QTest::qWait(0);
        for (ControlCard *card : editor.view.cards())
            QVERIFY(!card->tryResult().has_value());
        QCOMPARE(editor.card(1)->titleText(), QStringLiteral("Fan 2"));

        const QUuid fanRow = editor.rowID(1);
        editor.card(1)->showJSON();
        QPointer<JSONEditor> sheet = editor.card(1)->jsonSheet();
        QVERIFY(sheet);
        editor.model.removeItem(fanRow);
        Editor::settle();
        QVERIFY(sheet);
        QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
        QCOMPARE(sheet->error(), std::optional(ControlJSONSheet::goneText()));
        QVERIFY(sheet->isVisible());
        QCOMPARE(editor.model.items().size(), qsizetype(2));
        sheet->reject();
    }

    void oneActionSheetAppliesToItsRow()
    {
        Editor editor;
        editor.connect();
        ControlCard *fan = editor.card(1);
        fan->showJSON();
        JSONEditor *sheet = fan->jsonSheet();
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Edit Fan as JSON"));
        QVERIFY(!sheet->text().contains(QStringLiteral("\"icon\"")));
        sheet->setText(
            sheet->text().replace(QStringLiteral("\"toggle\""), QStringLiteral("\"button\"")));
        sheet->setText(sheet->text().left(sheet->text().size() - 3));
        QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
        QVERIFY(sheet->error()->startsWith(ControlJSONSheet::invalidPrefix));
        const QString json = QStringLiteral(
            R"({"id": "fan", "title": "Fan", "type": "button", "action": {"type": "shell", "target": "true"}})");
        sheet->setText(json);
        QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
        QTRY_VERIFY(!fan->jsonSheet());
        QCOMPARE(editor.model.items().at(1).control.type, ControlType::button);
        QCOMPARE(editor.card(1), fan);
        QCOMPARE(fan->sentenceTexts().at(1), QStringLiteral("button"));
        QVERIFY(editor.model.items().at(1).original.has_value());
    }

    // A deck edited by hand holds characters that a text field reads back as others. The JSON
    // sheets show them as escapes, and an edit elsewhere in the text leaves every action as it
    // was, character for character.
    void jsonSheetsKeepWhatNobodyEdited_data()
    {
        QTest::addColumn<bool>("wholeDeck");
        QTest::newRow("all actions") << true;
        QTest::newRow("one action") << false;
    }

    void jsonSheetsKeepWhatNobodyEdited()
    {
        QFETCH(bool, wholeDeck);
        Deck deck = withTitle(threeActions(), 0, QStringLiteral("Say\u00A0Hello"));
        deck.controls[0].action->target = QStringLiteral(
            "print-argv 'nb\u00A0sp' 'ls\u2028x'\r\necho 'A\u202Eevil\u202CB'\u2029");
        Editor editor;
        editor.connect(true, deck);
        if (wholeDeck)
            editor.view.moreMenu()->actions().at(0)->trigger();
        else
            editor.card(0)->showJSON();
        QPointer<JSONEditor> sheet =
            wholeDeck ? editor.view.deckSheet() : editor.card(0)->jsonSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QVERIFY2(!ShownText::holdsHidden(sheet->text()), qPrintable(sheet->text()));
        QVERIFY(!sheet->text().contains(QChar(0xA0)));
        QVERIFY(sheet->text().contains(QStringLiteral("Say\\u00a0Hello")));
        QVERIFY(sheet->text().contains(QStringLiteral("'A\\u202eevil\\u202cB'")));

        PlainTextField *field = sheet->textEdit();
        field->moveCursor(QTextCursor::Start);
        field->moveCursor(QTextCursor::Right);
        QTest::keyClick(field, Qt::Key_Space);
        QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
        QTRY_VERIFY(!sheet || !sheet->isVisible());
        QCOMPARE(editor.model.unsavedChangeCount(), 0);
        QCOMPARE(editor.card(0)->stateText(), QString());
        QCOMPARE(editor.model.draftDeck().controls.at(0).toJson(), deck.controls.at(0).toJson());
    }

    // Copy Link puts the link of the action's current id on the clipboard; only the remembered
    // host's editor offers it, and never for a readout.
    void copyLink()
    {
        Editor editor;
        editor.connect();
        Control lamp = editor.model.items().at(0).control;
        lamp.id = QStringLiteral("desk lamp");
        editor.model.setControl(editor.rowID(0), lamp);
        ControlCard *card = editor.card(0);
        emit card->moreMenu()->aboutToShow();
        QAction *copy = menuAction(card->moreMenu(), QStringLiteral("Copy Link"));
        QVERIFY(copy && copy->menu());
        QCOMPARE(copy->menu()->actions().size(), 1);
        copy->menu()->actions().first()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("quorvel://run/desk%20lamp"));
        emit editor.card(2)->moreMenu()->aboutToShow();
        QVERIFY(!menuAction(editor.card(2)->moreMenu(), QStringLiteral("Copy Link")));

        Editor local(false);
        local.connect();
        emit local.card(0)->moreMenu()->aboutToShow();
        QVERIFY(!menuAction(local.card(0)->moreMenu(), QStringLiteral("Copy Link")));
    }

    void emptyDeckShowsIdeas()
    {
        Editor editor;
        editor.connect(true, Deck{QStringLiteral("Studio"), {}});
        QVERIFY(editor.view.isShowingEmptyDeck());
        QVERIFY(editor.view.ideaButtons().isEmpty());
        HostCatalog catalog;
        catalog.shortcuts = {QStringLiteral("Backup")};
        editor.client.setCatalog(catalog);
        QTRY_VERIFY(!editor.view.ideaButtons().isEmpty());
        QTest::mouseClick(editor.view.ideaButtons().first(), Qt::LeftButton);
        QVERIFY(editor.model.addRequest().has_value());
        QVERIFY(editor.model.addRequest()->preset.has_value());
        QVERIFY(editor.model.items().isEmpty());
    }

    // A title far wider than the window is cut short: no card grows past the window, and every
    // card's buttons stay in sight without scrolling sideways.
    void aLongTitleKeepsTheCardsInTheWindow()
    {
        Editor editor;
        Deck deck = withTitle(threeActions(), 1, QString(20000, u'W'));
        deck.controls[0].title = QStringLiteral("Turntable Stream");
        deck.controls[2].title = QStringLiteral("Uptime of the Studio Machine");
        editor.connect(true, deck);
        editor.view.resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
        Editor::settle();
        for (ControlCard *card : editor.view.cards())
            QVERIFY(card->minimumSizeHint().width() < DeckEditorView::minimumWidth);
        auto *scroll = editor.view.findChild<QScrollArea *>();
        QVERIFY(scroll);
        scroll->widget()->layout()->activate();
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        for (ControlCard *card : editor.view.cards()) {
            auto *more = card->findChild<QToolButton *>(QStringLiteral("more"));
            const QRect shown(more->mapTo(scroll->viewport(), QPoint(0, 0)), more->size());
            QVERIFY(scroll->viewport()->rect().right() >= shown.right());
        }
        QCOMPARE(editor.card(1)->titleText().size(), 20000);
        // Titles that fit are never cut, not even by a fraction of a pixel.
        for (int index : {0, 2}) {
            auto *title = editor.card(index)->findChild<ElidedLabel *>(QStringLiteral("title"));
            QVERIFY(title);
            QCOMPARE(title->shownText(), deck.controls[size_t(index)].title);
        }
    }

    // The sentence reads as 15-point text beside a 13-point system font, chips and words alike.
    void theSentenceIsInTheLargeFont()
    {
        Editor editor;
        editor.connect();
        const qreal expected =
            QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF() * 15.0 / 13.0;
        for (ControlCard *card : editor.view.cards()) {
            auto *sentence = card->findChild<QWidget *>(QStringLiteral("sentence"));
            QVERIFY(sentence);
            QVERIFY(!card->chips().isEmpty());
            for (QWidget *piece : sentence->findChildren<QWidget *>())
                QVERIFY(qAbs(piece->font().pointSizeF() - expected) < 0.01);
        }
    }

    void saveOutcomeReplacesTheSummary()
    {
        Editor editor;
        editor.connect();
        editor.model.setDeckName(QStringLiteral("Den"));
        editor.model.save();
        QVERIFY(editor.client.answerUpdate({QStringLiteral("\"lamp\": title is empty")}));
        QTRY_VERIFY(editor.model.saveMessage().has_value());
        QVERIFY(!editor.model.saveMessage()->ok);
        QCOMPARE(editor.view.footerText(), editor.model.saveMessage()->text);
    }
};

QTEST_MAIN(DeckEditorViewTest)
#include "DeckEditorViewTest.moc"

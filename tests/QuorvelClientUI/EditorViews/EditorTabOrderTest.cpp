#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "FocusWalk.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AdvancedSection.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <map>

using namespace Quorvel;
using namespace Quorvel::EditorTest;

namespace {

struct Editor {
    explicit Editor(const Deck &deck = threeActions()) : model(client), view(model, live)
    {
        client.connectTo(QStringLiteral("Studio"), deck);
        view.resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
        view.show();
    }
    QUuid rowID(int index) const { return model.items().at(index).id; }

    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

Control withType(Control control, ControlType type)
{
    control.type = type;
    return control;
}

// What changes the cards before the walk.
const std::map<QString, std::function<void(Editor &)>> changes{
    {"as opened", [](Editor &) {}},
    {"a card added",
     [](Editor &editor) {
         Control disk = threeActions().controls.at(2);
         disk.id = QStringLiteral("disk");
         disk.title = QStringLiteral("Disk");
         editor.model.appendItem(disk);
     }},
    {"a card duplicated", [](Editor &editor) { editor.model.duplicateItem(editor.rowID(0)); }},
    {"the last card moved up", [](Editor &editor) { editor.model.moveItem(editor.rowID(2), -1); }},
    {"the first card moved down",
     [](Editor &editor) { editor.model.moveItem(editor.rowID(0), 1); }},
    {"a card removed", [](Editor &editor) { editor.model.removeItem(editor.rowID(1)); }},
    {"a button made a switch",
     [](Editor &editor) {
         editor.model.setControl(editor.rowID(0),
                                 withType(editor.model.items().at(0).control, ControlType::toggle));
     }},
    {"a switch made a readout",
     [](Editor &editor) {
         editor.model.setControl(editor.rowID(1),
                                 withType(editor.model.items().at(1).control, ControlType::metric));
     }},
    {"the first card's advanced settings opened",
     [](Editor &editor) { editor.view.cards().at(0)->toggleAdvanced(); }},
    {"the deck loaded again",
     [](Editor &editor) {
         editor.client.setDeck(withTitle(threeActions(), 1, QStringLiteral("Fan 2")));
     }},
};

QStringList described(const QList<QWidget *> &stops)
{
    QStringList all;
    for (const QWidget *stop : stops)
        all.append(FocusMark::describe(stop));
    return all;
}

// The footer's buttons that can be pressed.
QList<QWidget *> footer(const DeckEditorView &view)
{
    QList<QWidget *> stops;
    for (QPushButton *button : {view.discardButton(), view.saveButton()}) {
        if (button->isEnabled())
            stops.append(button);
    }
    return stops;
}

// The stops in the order they are read: the header's buttons, then each card's icon, its chips in
// the sentence's order, the fields of its advanced settings below them when open, ▶ and ⋮, then
// the footer's buttons that can be pressed.
QList<QWidget *> readingOrder(const DeckEditorView &view)
{
    QList<QWidget *> stops{view.addButton(), view.findChild<QToolButton *>("editorMore")};
    for (ControlCard *card : view.cards()) {
        stops.append(card->badgeButton());
        for (Chip *chip : card->chips()) {
            if (chip->focusPolicy() != Qt::NoFocus)
                stops.append(chip);
        }
        if (const AdvancedSection *advanced = card->advancedSection()) {
            for (QWidget *field :
                 {advanced->idField(), advanced->giveUpField(), advanced->intervalField()}) {
                if (field->isVisibleTo(&view))
                    stops.append(field);
            }
        }
        stops.append(card->tryButton());
        stops.append(card->moreButton());
    }
    return stops + footer(view);
}

// The walk from the Add Action button round to it, with only the stops of the reading order.
QStringList walked(DeckEditorView &view, const QList<QWidget *> &order, Qt::Key key)
{
    view.addButton()->setFocus(Qt::TabFocusReason);
    QList<QWidget *> chain = FocusMark::tabChain(&view, key);
    chain.removeIf([&order](QWidget *stop) { return !order.contains(stop); });
    if (key == Qt::Key_Backtab)
        std::reverse(chain.begin(), chain.end());
    const auto add = std::find(chain.begin(), chain.end(), view.addButton());
    std::rotate(chain.begin(), add, chain.end());
    return described(chain);
}

} // namespace

// Tab in the deck editor goes through the cards as they are read, one card after the other, and
// Shift+Tab goes back the same way, however the cards came to be.
class EditorTabOrderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void tabReadsTheCardsInOrder_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Qt::Key>("key");
        for (const auto &[change, apply] : changes) {
            QTest::addRow("%s, tab", qPrintable(change)) << change << Qt::Key_Tab;
            QTest::addRow("%s, shift+tab", qPrintable(change)) << change << Qt::Key_Backtab;
        }
    }

    void tabReadsTheCardsInOrder()
    {
        QFETCH(QString, change);
        QFETCH(Qt::Key, key);
        Editor editor;
        QApplication::setActiveWindow(&editor.view);
        QVERIFY(QTest::qWaitForWindowActive(&editor.view));
        changes.at(change)(editor);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QWidget *> order = readingOrder(editor.view);
        QCOMPARE(walked(editor.view, order, key), described(order));
    }

    // An empty deck suggests actions from what the host has: Tab reaches each suggestion's Add
    // in turn before the footer, also once the suggestions are made again.
    void tabReadsTheSuggestionsInOrder()
    {
        Editor editor(Deck{QStringLiteral("Empty"), {}});
        // A change first, so that the footer's buttons are stops after the suggestions.
        editor.model.setDeckName(QStringLiteral("Spare"));
        editor.client.setCatalog(::EditorTest::studioCatalog());
        QApplication::setActiveWindow(&editor.view);
        QVERIFY(QTest::qWaitForWindowActive(&editor.view));
        QVERIFY(editor.view.isShowingEmptyDeck());
        const QList<QPushButton *> ideas = editor.view.ideaButtons();
        QVERIFY(!ideas.isEmpty());
        QList<QWidget *> order{editor.view.addButton(),
                               editor.view.findChild<QToolButton *>("editorMore")};
        for (QPushButton *idea : ideas)
            order.append(idea);
        order += footer(editor.view);
        QVERIFY(editor.view.discardButton()->isEnabled());
        QCOMPARE(walked(editor.view, order, Qt::Key_Tab), described(order));
        QCOMPARE(walked(editor.view, order, Qt::Key_Backtab), described(order));
    }
};

QTEST_MAIN(EditorTabOrderTest)
#include "EditorTabOrderTest.moc"

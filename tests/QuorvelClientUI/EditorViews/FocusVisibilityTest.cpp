#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "FocusWalk.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "ReadingOrder.h"
#include "Widgets/FocusRing.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainTextField.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::EditorTest;
using namespace ::EditorTest;

using Intent = AddActionFlow::Intent;

namespace {

// A window of the deck editor, the add-action sheet or a chip's popover in one of its states,
// shown.
struct Screen {
    virtual ~Screen() = default;
    virtual QWidget *window() const = 0;
};

struct SheetScreen : Screen {
    explicit SheetScreen(std::optional<Intent> intent)
    {
        client.connectTo("Studio", Deck{"Deck", {}});
        client.setCatalog(studioCatalog());
        sheet = std::make_unique<AddActionSheet>(client, std::vector<Control>{}, std::nullopt,
                                                 intent, nullptr);
        sheet->show();
    }
    QWidget *window() const override { return sheet.get(); }

    ScriptedEditorClient client;
    std::unique_ptr<AddActionSheet> sheet;
};

struct EditorScreen : Screen {
    explicit EditorScreen(const Deck &deck) : model(client), view(model, live)
    {
        client.connectTo("Studio", deck);
        client.setCatalog(studioCatalog());
        view.resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
        view.show();
    }
    QWidget *window() const override { return const_cast<DeckEditorView *>(&view); }

    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

// The three actions and a button that presses another app's control: a chip of every part.
Deck everyChip()
{
    Deck deck = threeActions();
    Control skip = control("skip", "Skip", ControlType::button);
    skip.action = appControlAction("a.b.Player", "skip", std::nullopt);
    deck.controls.push_back(skip);
    return deck;
}

// The editor with the popover of one chip open: the chip at an index among the editable chips of
// the cards of everyChip(), whose popover's content is of the class named.
struct PopoverScreen : EditorScreen {
    PopoverScreen(int card, int chipIndex, const QString &content) : EditorScreen(everyChip())
    {
        // Active first, its activation handled: a window activated after the popover opened
        // would close it.
        QApplication::setActiveWindow(&view);
        const auto cards = int(everyChip().controls.size());
        if (!QTest::qWaitForWindowActive(&view) ||
            !QTest::qWaitFor([this, cards] { return view.cards().size() == cards; }))
            return;
        QCoreApplication::processEvents();
        QList<Chip *> chips;
        for (Chip *chip : view.cards().at(card)->chips()) {
            if (chip->hasContent())
                chips.append(chip);
        }
        Chip *chip = chips.value(chipIndex);
        if (!chip)
            return;
        QTest::mouseClick(chip, Qt::LeftButton);
        if (chip->isShown() &&
            QString::fromLatin1(chip->popover()->content()->metaObject()->className()) == content)
            popover = chip->popover();
    }
    ~PopoverScreen() override
    {
        if (popover)
            popover->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QWidget *window() const override { return popover; }

    QPointer<Popover> popover;
};

// Where each popover's chip is: its card and its place among the card's editable chips.
const std::map<QString, std::pair<int, int>> popoverChips{
    {"Quorvel::TypePopover", {0, 0}},     {"Quorvel::ActionPopover", {0, 1}},
    {"Quorvel::StatusPopover", {1, 3}},   {"Quorvel::MetricSourcePopover", {2, 1}},
    {"Quorvel::IntervalPopover", {2, 2}}, {"Quorvel::AppControlPopover", {3, 1}}};

// The add-action sheet in each of its steps.
const QStringList sheetSteps{
    "kinds", "app switch", "app switch, picked", "app control", "shortcut, picked", "command",
    "value", "review"};

std::unique_ptr<Screen> makeScreen(const QString &name)
{
    if (name.startsWith("deck editor"))
        return std::make_unique<EditorScreen>(name.endsWith("empty") ? Deck{"Empty", {}}
                                                                     : threeActions());
    if (const auto chip = popoverChips.find(name); chip != popoverChips.end())
        return std::make_unique<PopoverScreen>(chip->second.first, chip->second.second, name);
    static const std::map<QString, std::optional<Intent>> intents{
        {"kinds", std::nullopt},
        {"app switch", Intent::appSwitch},
        {"app switch, picked", Intent::appSwitch},
        {"app control", Intent::appControl},
        {"shortcut, picked", Intent::shortcut},
        {"command", Intent::command},
        {"value", Intent::value},
        {"review", Intent::command}};
    auto screen = std::make_unique<SheetScreen>(intents.at(name));
    AddActionFlow &flow = screen->sheet->flow();
    if (name == "app switch, picked")
        flow.setApp("Rhythmbox");
    if (name == "shortcut, picked")
        flow.setShortcut("Morning");
    if (name == "review") {
        flow.setCommand("echo hi");
        flow.continueToReview();
        flow.setName("Say hi");
    }
    return screen;
}

} // namespace

// Whatever the keyboard is on shows it: every stop of the Tab chain in each step of the
// add-action sheet, in the deck editor and in each of its chips' popovers, on a light and on a
// dark desktop, with the ring the program puts in every window; Tab goes through the sheet and
// the popovers in reading order, and through their multi-line fields without typing into them;
// and the lists of the sheet move and pick by keyboard.
class FocusVisibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        IconTheme::setUp();
        FocusRing::install();
    }
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    void everyTabStopShowsTheFocus_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("dark");
        QStringList screens = sheetSteps;
        screens << "deck editor"
                << "deck editor, empty";
        for (const auto &[popover, chip] : popoverChips)
            screens.append(popover);
        for (const QString &screen : std::as_const(screens)) {
            for (const bool dark : {false, true})
                QTest::addRow("%s, %s", qPrintable(screen), dark ? "dark" : "light")
                    << screen << dark;
        }
    }

    void everyTabStopShowsTheFocus()
    {
        QFETCH(QString, screen);
        QFETCH(bool, dark);
        QApplication::setPalette(FocusMark::breezePalette(dark));
        const std::unique_ptr<Screen> shown = makeScreen(screen);
        QWidget *window = shown->window();
        QVERIFY(window);
        if (window->windowType() != Qt::Popup) {
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
        }
        const QList<QWidget *> chain = FocusMark::tabChain(window);
        QVERIFY(!chain.isEmpty());
        const QStringList holding = FocusMark::scrollViewStops(chain);
        QVERIFY2(holding.isEmpty(),
                 qPrintable(QStringLiteral("A stop of its own: ") + holding.join(", ")));
        const QStringList unseen = FocusMark::unseenStops(chain);
        QVERIFY2(unseen.isEmpty(),
                 qPrintable(QStringLiteral("Focus not seen on: ") + unseen.join(", ")));
    }

    // From the window itself, Tab goes through each step of the sheet and each popover in
    // reading order: down, and along each line from the left; Shift+Tab goes back up.
    void tabGoesInReadingOrder_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("backwards");
        QStringList screens = sheetSteps;
        for (const auto &[popover, chip] : popoverChips)
            screens.append(popover);
        for (const QString &screen : std::as_const(screens)) {
            for (const bool backwards : {false, true})
                QTest::addRow("%s, %s", qPrintable(screen), backwards ? "shift+tab" : "tab")
                    << screen << backwards;
        }
    }

    void tabGoesInReadingOrder()
    {
        QFETCH(QString, screen);
        QFETCH(bool, backwards);
        const std::unique_ptr<Screen> shown = makeScreen(screen);
        QWidget *window = shown->window();
        QVERIFY(window);
        if (window->windowType() != Qt::Popup) {
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
        }
        QCoreApplication::sendPostedEvents();
        const QStringList against = FocusMark::stepsAgainstReading(window, backwards);
        QVERIFY2(against.isEmpty(),
                 qPrintable(QStringLiteral("Against the reading order: ") + against.join(", ")));
    }

    // Tab and Shift+Tab go through each multi-line field as through any other field and type
    // nothing into it: the action behind a chip's popover has no change.
    void tabPassesThroughTextFields_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<Qt::Key>("key");
        for (const char *screen :
             {"command", "Quorvel::ActionPopover", "Quorvel::MetricSourcePopover"}) {
            QTest::addRow("%s, tab", screen) << QString::fromLatin1(screen) << Qt::Key_Tab;
            QTest::addRow("%s, shift+tab", screen)
                << QString::fromLatin1(screen) << Qt::Key_Backtab;
        }
    }

    void tabPassesThroughTextFields()
    {
        QFETCH(QString, screen);
        QFETCH(Qt::Key, key);
        const std::unique_ptr<Screen> shown = makeScreen(screen);
        QWidget *window = shown->window();
        QVERIFY(window);
        if (window->windowType() != Qt::Popup) {
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
        }
        const QList<PlainTextField *> fields = window->findChildren<PlainTextField *>();
        QVERIFY(!fields.isEmpty());
        QStringList texts;
        for (const PlainTextField *field : fields)
            texts.append(field->text());
        // The walk starts in the window's own first field: keys sent here go to their widget,
        // where a popup of a real desktop would take them from any.
        fields.first()->setFocus(Qt::OtherFocusReason);
        QVERIFY(fields.first()->hasFocus());
        const QList<QWidget *> chain = FocusMark::tabChain(window, key);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QCOMPARE(fields.at(i)->text(), texts.at(i));
            QVERIFY2(chain.contains(fields.at(i)), qPrintable(FocusMark::describe(fields.at(i))));
        }
        QVERIFY2(chain.size() > fields.size(), qPrintable(QString::number(chain.size())));
        if (const auto *editor = dynamic_cast<const EditorScreen *>(shown.get()))
            QCOMPARE(editor->model.unsavedChangeCount(), 0);
    }

    // From the search field Tab reaches the app list; the arrows move along it, Return or Space
    // picks the row the keyboard is on, which keeps the focus; Return on the picked row goes on.
    void theAppListPicksByKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<int>("step");
        QTest::newRow("space on the first row") << QList<int>{Qt::Key_Space} << "Firefox ESR" << 2;
        QTest::newRow("return on the first row")
            << QList<int>{Qt::Key_Return} << "Firefox ESR" << 2;
        QTest::newRow("down, space") << QList<int>{Qt::Key_Down, Qt::Key_Space} << "Rhythmbox" << 2;
        QTest::newRow("down, return")
            << QList<int>{Qt::Key_Down, Qt::Key_Return} << "Rhythmbox" << 2;
        QTest::newRow("down past the end, return")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return} << "Rhythmbox"
            << 2;
        QTest::newRow("down, up, return")
            << QList<int>{Qt::Key_Down, Qt::Key_Up, Qt::Key_Return} << "Firefox ESR" << 2;
        QTest::newRow("up at the top, return")
            << QList<int>{Qt::Key_Up, Qt::Key_Return} << "Firefox ESR" << 2;
        QTest::newRow("return again continues")
            << QList<int>{Qt::Key_Down, Qt::Key_Return, Qt::Key_Return} << "Rhythmbox" << 3;
    }

    void theAppListPicksByKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, picked);
        QFETCH(int, step);
        SheetScreen screen(Intent::appSwitch);
        AddActionSheet &sheet = *screen.sheet;
        QApplication::setActiveWindow(&sheet);
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        auto *picker = sheet.stepView()->findChild<CatalogPicker *>();
        QTRY_COMPARE(QApplication::focusWidget(), picker->searchField());
        QTest::keyClick(picker->searchField(), Qt::Key_Tab);
        auto *row = qobject_cast<PickerRow *>(QApplication::focusWidget());
        QVERIFY2(row, qPrintable(FocusMark::describe(QApplication::focusWidget())));
        QCOMPARE(row->value(), "Firefox ESR");
        for (const int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_COMPARE(sheet.flow().app(), picked);
        QTRY_COMPARE(sheet.flow().step(), step);
        if (step == 2) {
            row = qobject_cast<PickerRow *>(QApplication::focusWidget());
            QVERIFY2(row, qPrintable(FocusMark::describe(QApplication::focusWidget())));
            QCOMPARE(row->value(), picked);
            QVERIFY(row->isSelected());
        }
    }

    // After a search the list is still the one stop after the field: Tab reaches its row and
    // Shift+Tab comes back, Down in the field moves onto the row, Return in the field picks it.
    void theListAfterASearch_data()
    {
        QTest::addColumn<Intent>("intent");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("row");
        QTest::newRow("apps, a letter") << Intent::appSwitch << ""
                                        << "T"
                                        << "T";
        QTest::newRow("apps, a whole name") << Intent::appSwitch << ""
                                            << "rhythmbox"
                                            << "Rhythmbox";
        // The step shows more controls below the list once an app is picked.
        QTest::newRow("apps, one picked, a letter") << Intent::appSwitch << "Rhythmbox"
                                                    << "T"
                                                    << "Rhythmbox";
        QTest::newRow("shortcuts, a new name") << Intent::shortcut << ""
                                               << "Wri"
                                               << "Wri";
        QTest::newRow("shortcuts, a whole name") << Intent::shortcut << ""
                                                 << "morning"
                                                 << "Morning";
    }

    void theListAfterASearch()
    {
        QFETCH(Intent, intent);
        QFETCH(QString, picked);
        QFETCH(QString, typed);
        QFETCH(QString, row);
        SheetScreen screen(intent);
        AddActionSheet &sheet = *screen.sheet;
        if (!picked.isEmpty())
            sheet.flow().setApp(picked);
        QApplication::setActiveWindow(&sheet);
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        auto *picker = sheet.stepView()->findChild<CatalogPicker *>();
        QLineEdit *search = picker->searchField();
        QTRY_COMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(search, typed);
        // Once the list shows the rows of the search, as it has before the next key comes.
        QTRY_VERIFY(!picker->rows().isEmpty() && picker->rows().constLast()->isVisible());
        const auto rowReached = [](const QString &value) {
            const auto *reached = qobject_cast<const PickerRow *>(QApplication::focusWidget());
            return reached && reached->value() == value;
        };

        QTest::keyClick(search, Qt::Key_Tab);
        QVERIFY2(rowReached(row), qPrintable(FocusMark::describe(QApplication::focusWidget())));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), search);

        QTest::keyClick(search, Qt::Key_Down);
        QVERIFY2(rowReached(row), qPrintable(FocusMark::describe(QApplication::focusWidget())));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), search);
        QCOMPARE(search->text(), typed);

        QTest::keyClick(search, Qt::Key_Return);
        const AddActionFlow &flow = sheet.flow();
        QTRY_COMPARE(intent == Intent::shortcut ? flow.shortcut() : flow.app(), row);
        QCOMPARE(flow.step(), 2);
    }

    // The list is one stop: Tab leaves it from any row, Shift+Tab comes back to the row last on.
    void theAppListIsOneTabStop()
    {
        SheetScreen screen(Intent::appSwitch);
        AddActionSheet &sheet = *screen.sheet;
        QApplication::setActiveWindow(&sheet);
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        auto *picker = sheet.stepView()->findChild<CatalogPicker *>();
        QTRY_COMPARE(QApplication::focusWidget(), picker->searchField());
        QTest::keyClick(picker->searchField(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QWidget *last = QApplication::focusWidget();
        QVERIFY(qobject_cast<PickerRow *>(last));
        QTest::keyClick(last, Qt::Key_Tab);
        QVERIFY2(!qobject_cast<PickerRow *>(QApplication::focusWidget()),
                 qPrintable(FocusMark::describe(QApplication::focusWidget())));
        QVERIFY(!picker->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), last);
    }
};

QTEST_MAIN(FocusVisibilityTest)
#include "FocusVisibilityTest.moc"

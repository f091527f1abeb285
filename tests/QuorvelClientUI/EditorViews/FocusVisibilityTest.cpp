#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "FocusMark.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "Widgets/IconTheme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <memory>

using namespace Quorvel;
using namespace Quorvel::EditorTest;
using namespace ::EditorTest;

using Intent = AddActionFlow::Intent;

namespace {

// Room around a control for a mark drawn just outside it.
constexpr int markRoom = 4;
// More stops than any of these windows has: the walk ends when the focus comes round again.
constexpr int mostStops = 120;

// A window of the deck editor or the add-action sheet in one of its states, shown and active.
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

std::unique_ptr<Screen> makeScreen(const QString &name)
{
    if (name.startsWith("deck editor"))
        return std::make_unique<EditorScreen>(name.endsWith("empty") ? Deck{"Empty", {}}
                                                                     : threeActions());
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

QString describe(const QWidget *widget)
{
    if (!widget)
        return QStringLiteral("nothing");
    QString text = widget->accessibleName();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget);
        text.isEmpty() && button)
        text = button->text();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
}

QImage around(QWidget *widget)
{
    QWidget *window = widget->window();
    QCoreApplication::processEvents();
    const QRect area = QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())
                           .adjusted(-markRoom, -markRoom, markRoom, markRoom);
    return window->grab(area & window->rect()).toImage();
}

} // namespace

// Whatever the keyboard is on shows it: every stop of the Tab chain in each step of the
// add-action sheet and in the deck editor, on a light and on a dark desktop; and the lists of
// the sheet move and pick by keyboard.
class FocusVisibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    void everyTabStopShowsTheFocus_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("dark");
        for (const char *screen :
             {"kinds", "app switch", "app switch, picked", "app control", "shortcut, picked",
              "command", "value", "review", "deck editor", "deck editor, empty"}) {
            for (const bool dark : {false, true})
                QTest::addRow("%s, %s", screen, dark ? "dark" : "light") << screen << dark;
        }
    }

    void everyTabStopShowsTheFocus()
    {
        QFETCH(QString, screen);
        QFETCH(bool, dark);
        QApplication::setPalette(FocusMark::breezePalette(dark));
        const std::unique_ptr<Screen> shown = makeScreen(screen);
        QWidget *window = shown->window();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));

        // The chain as Tab walks it.
        QList<QWidget *> chain;
        for (int step = 0; step < mostStops; ++step) {
            QWidget *from = QApplication::focusWidget();
            QTest::keyClick(from ? from : window, Qt::Key_Tab);
            QWidget *now = QApplication::focusWidget();
            if (!now || chain.contains(now))
                break;
            chain.append(now);
        }
        QVERIFY(chain.size() > 1);

        QStringList unseen;
        for (QWidget *stop : std::as_const(chain)) {
            QApplication::focusWidget()->clearFocus();
            QVERIFY(!QApplication::focusWidget());
            const QImage unfocused = around(stop);
            stop->setFocus(Qt::TabFocusReason);
            QCOMPARE(QApplication::focusWidget(), stop);
            const QImage focused = around(stop);
            const int marked = FocusMark::markedPixels(focused, unfocused);
            if (!FocusMark::isSeen(marked, stop->size() * stop->devicePixelRatio()))
                unseen.append(QStringLiteral("%1 (%2 pixels)").arg(describe(stop)).arg(marked));
        }
        QVERIFY2(unseen.isEmpty(),
                 qPrintable(QStringLiteral("Focus not seen on: ") + unseen.join(", ")));
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
        QVERIFY2(row, qPrintable(describe(QApplication::focusWidget())));
        QCOMPARE(row->value(), "Firefox ESR");
        for (const int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_COMPARE(sheet.flow().app(), picked);
        QTRY_COMPARE(sheet.flow().step(), step);
        if (step == 2) {
            row = qobject_cast<PickerRow *>(QApplication::focusWidget());
            QVERIFY2(row, qPrintable(describe(QApplication::focusWidget())));
            QCOMPARE(row->value(), picked);
            QVERIFY(row->isSelected());
        }
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
                 qPrintable(describe(QApplication::focusWidget())));
        QVERIFY(!picker->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), last);
    }
};

QTEST_MAIN(FocusVisibilityTest)
#include "FocusVisibilityTest.moc"

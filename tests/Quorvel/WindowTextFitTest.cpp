#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "Widgets/IconTheme.h"
#include "Widgets/TextFit.h"

#include "TextWalk.h"
#include "WindowScenes.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace WindowScenes;

namespace {

// As wide as a host's name can be (a DNS-SD service name takes 63 bytes), in wide letters; the
// end tells the scenes' hosts apart.
QString wideName(int scene)
{
    return QStringLiteral("WMWMWMWM Wide Workstation WWWW MMMM Mighty Machine Room %1")
        .arg(scene, 7, 10, QLatin1Char('0'));
}

Deck wideDeck()
{
    Deck deck = sampleDeck(
        QStringLiteral("MMMM Everything In The Whole Wide Studio And The Workshop WMWM"));
    // A readout whose sentence names the host.
    deck.controls.back().statusCheck->target = QStringLiteral("uptime -p | sed 's/^up //'");
    deck.controls.front().title =
        QStringLiteral("WMWM Switch On Every Lamp In The Mighty Machine Room And Hall MM");
    return deck;
}

// The remote's deck editor over the application's model, at its smallest.
DeckEditorWindow *editor(Scene &scene)
{
    auto *window = new DeckEditorWindow(scene.app->model, DeckEditorWindow::deckEditorID,
                                        DeckEditorWindow::deckEditorTitle());
    scene.window.reset(window);
    window->resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
    return window;
}

// The editor with the popover of the first card's action open.
void actionPopover(Scene &scene)
{
    DeckEditorWindow *window = editor(scene);
    window->show();
    QApplication::setActiveWindow(window);
    DeckEditorView *view = window->view();
    if (!QTest::qWaitForWindowActive(window) ||
        !QTest::qWaitFor([view] { return !view->cards().isEmpty(); }))
        return;
    QCoreApplication::processEvents();
    QList<Chip *> chips;
    for (Chip *chip : view->cards().front()->chips()) {
        if (chip->hasContent())
            chips.append(chip);
    }
    Chip *chip = chips.value(1);
    if (!chip)
        return;
    QTest::mouseClick(chip, Qt::LeftButton);
    scene.popup = chip->popover();
}

// The editor with the sheet that adds an action open.
void addActionSheet(Scene &scene)
{
    DeckEditorWindow *window = editor(scene);
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return;
    auto *add = window->findChild<QPushButton *>(QStringLiteral("addAction"));
    if (!add || !QTest::qWaitFor([add] { return add->isEnabled(); }))
        return;
    add->click();
    scene.popup = window->findChild<AddActionSheet *>();
}

std::map<QString, Recipe> allRecipes()
{
    std::map<QString, Recipe> all = recipes();
    all.insert({"deck editor", {true, false, true, true, [](Scene &scene) { editor(scene); }}});
    // A window over the editor that did not open leaves the scene without a window.
    const auto over = [](void (*open)(Scene &)) {
        return [open](Scene &scene) {
            open(scene);
            if (!scene.popup)
                scene.window.reset();
        };
    };
    all.insert({"action popover", {true, false, true, true, over(actionPopover)}});
    all.insert({"add action sheet", {true, false, true, true, over(addActionSheet)}});
    return all;
}

} // namespace

// With a host name, a deck title and an action title as wide as they come, no window of the
// program cuts a text without showing it: what does not fit ends in "…", and pointing at it shows
// the whole.
class WindowTextFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        IconTheme::setUp();
        TextFit::install();
    }

    void noTextIsCutUnseen_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("index");
        int index = 0;
        for (const auto &[screen, recipe] : allRecipes())
            QTest::addRow("%s", qPrintable(screen)) << screen << index++;
    }

    void noTextIsCutUnseen()
    {
        QFETCH(QString, screen);
        QFETCH(int, index);
        const Recipe recipe = allRecipes().at(screen);
        Scene scene;
        scene.hostName = wideName(index);
        scene.deck = wideDeck();
        scene.start(recipe.remote, recipe.hosting);
        QVERIFY(scene.settle(recipe.meetHost, recipe.paired));
        recipe.make(scene);
        QVERIFY2(scene.window, "The window did not open");
        scene.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(scene.window.get()));
        QWidget *window = scene.popup ? scene.popup.get() : scene.window.get();
        QVERIFY(window->isVisible());
        QVERIFY2(settleLayouts(), "The layouts never settle");

        const QStringList faults = TextWalk::faults(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(WindowTextFitTest)
#include "WindowTextFitTest.moc"

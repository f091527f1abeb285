#include "Quorvel/AppMenu.h"
#include "Quorvel/AppMenuSections.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/ControlRow.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "Widgets/PlainLabel.h"

#include "AppTestSupport.h"
#include "ClientTestSupport.h"
#include "TestHost.h"

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <set>

Q_DECLARE_METATYPE(Quorvel::AppMenuSections)

using namespace Quorvel;
using namespace Quorvel::AppTest;
using namespace Quorvel::ClientTest;

namespace {

struct App {
    App(bool remote, bool hosting) : model("Remote", KeychainTokenStore(), true)
    {
        openClientSettings()->clear();
        storeRoles(remote, hosting);
        state = std::make_unique<AppState>(standInOptions(model, systemctl));
        menu = std::make_unique<AppMenu>(*state);
        menu->show();
    }

    bool shows(const QWidget *part) const { return part && part->isVisibleTo(menu.get()); }

    StandInSystemctl systemctl;
    ClientModel model;
    std::unique_ptr<AppState> state;
    std::unique_ptr<AppMenu> menu;
};

// The sample deck's first action, and one of each kind after it, repeated to count actions in
// all (switches and readouts end their rows with their control).
Deck deckOf(int count)
{
    Deck deck = sampleDeck();
    const std::vector<Control> kinds = deck.controls;
    deck.controls.clear();
    for (int index = 0; index < count; ++index) {
        Control control = kinds.at(std::size_t(index) % kinds.size());
        control.id += QString::number(index);
        deck.controls.push_back(control);
    }
    return deck;
}

} // namespace

// The menu's parts for the roles, as rules and as the real widget over a real application state.
class AppMenuTest : public QObject {
    Q_OBJECT

private slots:
    void sections_data();
    void sections();
    void connectedLine_data();
    void connectedLine();
    void menuFollowsTheRoles_data();
    void menuFollowsTheRoles();
    void quitStopsTheHostFirst();
    void theWindowFollowsTheActions_data();
    void theWindowFollowsTheActions();
    void scrolledRowsKeepClearOfTheScrollBar_data();
    void scrolledRowsKeepClearOfTheScrollBar();
};

void AppMenuTest::sections_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("hostExists");
    QTest::addColumn<AppMenuSections>("sections");
    QTest::newRow("neither") << false << false << false << AppMenuSections{false, false, true};
    QTest::newRow("remote") << true << false << false << AppMenuSections{true, false, false};
    QTest::newRow("both") << true << true << true << AppMenuSections{true, true, false};
    QTest::newRow("hosting") << false << true << true << AppMenuSections{false, true, false};
    QTest::newRow("hosting, no coordinator yet")
        << false << true << false << AppMenuSections{false, false, false};
}

void AppMenuTest::sections()
{
    QFETCH(bool, remote);
    QFETCH(bool, hosting);
    QFETCH(bool, hostExists);
    QTEST(AppMenuSections::forRoles(remote, hosting, hostExists), "sections");
}

void AppMenuTest::connectedLine_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("line");
    QTest::newRow("none") << QStringList() << "No devices connected";
    QTest::newRow("one") << QStringList{"Ada's laptop"} << "Connected: Ada's laptop";
    QTest::newRow("two, in the order given")
        << QStringList{"Desk", "Studio"} << "Connected: Desk, Studio";
    QTest::newRow("duplicates kept") << QStringList{"Desk", "Desk"} << "Connected: Desk, Desk";
}

void AppMenuTest::connectedLine()
{
    QFETCH(QStringList, names);
    QTEST(AppMenuSections::connectedLine(names), "line");
}

void AppMenuTest::menuFollowsTheRoles_data()
{
    sections_data();
}

void AppMenuTest::menuFollowsTheRoles()
{
    QFETCH(bool, remote);
    QFETCH(bool, hosting);
    QFETCH(bool, hostExists);
    if (hosting && !hostExists)
        QSKIP("the application makes the coordinator as soon as hosting is applied");
    QFETCH(AppMenuSections, sections);
    App app(remote, hosting);

    QCOMPARE(app.shows(app.menu->remoteView()), sections.remote);
    QCOMPARE(app.shows(app.menu->hostSection()), sections.hostSummary);
    QCOMPARE(app.shows(app.menu->offLabel()), sections.offText);
    QVERIFY(app.shows(app.menu->settingsButton()));
    QVERIFY(app.shows(app.menu->quitButton()));
    if (sections.hostSummary)
        QCOMPARE(app.menu->summary()->connectedText(), QStringLiteral("No devices connected"));
    QCOMPARE(app.menu->width(), AppMenu::menuWidth);

    // The other way round, applied: the menu follows without being made again.
    app.state->roles().setRemote(!remote);
    app.state->roles().setHosting(!hosting);
    app.state->applyRoles();
    const AppMenuSections flipped = AppMenuSections::forRoles(!remote, !hosting, !hosting);
    QCOMPARE(app.shows(app.menu->remoteView()), flipped.remote);
    QCOMPARE(app.shows(app.menu->hostSection()), flipped.hostSummary);
    QCOMPARE(app.shows(app.menu->offLabel()), flipped.offText);
    QCOMPARE(app.menu->summary() != nullptr, !hosting);
}

void AppMenuTest::quitStopsTheHostFirst()
{
    App app(false, true);
    HostCoordinator *const host = app.state->host();
    QVERIFY(host->running());
    QSignalSpy quitting(app.state.get(), &AppState::quitting);
    bool stoppedBeforeQuitting = false;
    connect(app.state.get(), &AppState::quitting, this,
            [&] { stoppedBeforeQuitting = !host->running(); });

    QTest::mouseClick(app.menu->quitButton(), Qt::LeftButton);
    QCOMPARE(quitting.size(), 1);
    QVERIFY(stoppedBeforeQuitting);
}

void AppMenuTest::theWindowFollowsTheActions_data()
{
    QTest::addColumn<int>("actions");
    QTest::newRow("three") << 3;
    QTest::newRow("more than the screen holds") << 80;
}

// The deck arrives after the menu is shown: the window grows to show every row, and only rows
// that would pass the screen's height scroll, with the footer still in the window.
void AppMenuTest::theWindowFollowsTheActions()
{
    QFETCH(int, actions);
    Deck deck = sampleDeck();
    const Control first = deck.controls.front();
    deck.controls.clear();
    for (int index = 0; index < actions; ++index) {
        Control control = first;
        control.id = first.id + QString::number(index);
        deck.controls.push_back(control);
    }
    TestHost host(firstCode(), deck, uniqueHostName());
    QVERIFY(host.start());
    QVERIFY(Keyring().save(firstCode(), host.hostID()));
    App app(true, false);
    const int shownHeight = app.menu->height();
    app.model.connectTo(host.listing());
    DeckView *const view = app.menu->remoteView()->deckView();
    QTRY_COMPARE_WITH_TIMEOUT(view->rows().size(), actions, answerLimitMs);

    const auto *scroll = view->findChild<QScrollArea *>();
    const int available = app.menu->screen()->availableGeometry().height();
    const bool fits = actions == 3;
    QTRY_VERIFY(app.menu->height() > shownHeight);
    QTRY_COMPARE(scroll->verticalScrollBar()->isVisible(), !fits);
    if (fits) {
        QTRY_VERIFY(view->height() >= view->contentHeight());
        QVERIFY(app.menu->height() < available);
        // The gallery sizes its pages with adjustSize(): it draws the window as shown here.
        const QSize fitted = app.menu->size();
        app.menu->adjustSize();
        QCOMPARE(app.menu->size(), fitted);
    } else {
        // The screen's height, give or take the rounding of the rows' share.
        QTRY_VERIFY(app.menu->height() > available * 9 / 10);
        QVERIFY(app.menu->height() <= available);
    }
    const QPushButton *quit = app.menu->quitButton();
    QVERIFY(quit->mapTo(app.menu.get(), QPoint(0, quit->height())).y() <= app.menu->height());
}

void AppMenuTest::scrolledRowsKeepClearOfTheScrollBar_data()
{
    QTest::addColumn<Qt::WindowType>("kind");
    QTest::newRow("window") << Qt::Window;
    QTest::newRow("popup") << Qt::Popup;
}

// With more actions than the screen holds, the rows' last controls (switches, readout values,
// buttons) keep a visible gap from the scroll bar.
void AppMenuTest::scrolledRowsKeepClearOfTheScrollBar()
{
    QFETCH(Qt::WindowType, kind);
    // Enough to tell the two apart at a glance.
    constexpr int visibleGap = 4;
    TestHost host(firstCode(), deckOf(80), uniqueHostName());
    QVERIFY(host.start());
    QVERIFY(Keyring().save(firstCode(), host.hostID()));
    App app(true, false);
    app.menu->hide();
    app.menu->setWindowFlags(kind);
    app.menu->show();
    QVERIFY(QTest::qWaitForWindowExposed(app.menu.get()));
    app.model.connectTo(host.listing());
    DeckView *const view = app.menu->remoteView()->deckView();
    QTRY_COMPARE_WITH_TIMEOUT(view->rows().size(), 80, answerLimitMs);
    const QScrollBar *bar = view->findChild<QScrollArea *>()->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());

    std::set<ControlType> kindsSeen;
    const auto gapsOk = [&] {
        const int barLeft = bar->mapTo(view, QPoint(0, 0)).x();
        for (const ControlRow *row : view->rows()) {
            for (const QWidget *part : row->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!part->isVisibleTo(row))
                    continue;
                const int right = part->mapTo(view, QPoint(part->width(), 0)).x();
                if (barLeft - right < visibleGap) {
                    qWarning("%s %s: ends at %d, the scroll bar starts at %d",
                             qPrintable(row->title()), part->metaObject()->className(), right,
                             barLeft);
                    return false;
                }
            }
            kindsSeen.insert(row->control().type);
        }
        return true;
    };
    QTRY_VERIFY(gapsOk());
    QCOMPARE(kindsSeen.size(), std::size_t(3));
}

QTEST_MAIN(AppMenuTest)
#include "AppMenuTest.moc"

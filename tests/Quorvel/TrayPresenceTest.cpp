#include "Quorvel/TrayPresence.h"
#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "Quorvel/Setup/DoneStepPage.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/Setup/SetupWindows.h"
#include "Quorvel/TrayWatch.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include "AppTestSupport.h"
#include "ClientTestSupport.h"
#include "FakeServiceNetwork.h"
#include "TestHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace Quorvel;
using namespace Quorvel::AppTest;
using namespace Quorvel::ClientTest;

namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
// Xvfb and the watcher start in well under a second; more means they failed.
constexpr int serviceLimitMs = 10000;

// An X server and a system tray of the test's own: Xvfb on a display it picks, and a
// StatusNotifierWatcher on the sandbox's session bus (python3-dbusmock), which a test starts and
// stops as a panel would. The X server is there before the application, which connects to it.
struct Desktop {
    bool start()
    {
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!xvfb.waitForStarted() || !xvfb.waitForReadyRead(serviceLimitMs))
            return false;
        const QByteArray display = xvfb.readLine().trimmed();
        qputenv("DISPLAY", ":" + display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    // The panel's tray starts (again); its calls go to a log of its own.
    bool startWatcher()
    {
        if (watcher.state() != QProcess::NotRunning)
            return true;
        ++watcherRuns;
        QFile::remove(log());
        watcher.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                       QStringLiteral("--session"), QStringLiteral("-l"), log(),
                       QStringLiteral("-t"),
                       QStringLiteral(QUORVEL_APP_TEST_DIR) +
                           QStringLiteral("/status_notifier_watcher_template.py")});
        return watcher.waitForStarted() &&
               QTest::qWaitFor([] { return watcherOnBus(); }, serviceLimitMs);
    }
    // The panel quits.
    bool stopWatcher()
    {
        watcher.terminate();
        watcher.waitForFinished();
        return QTest::qWaitFor([] { return !watcherOnBus(); }, serviceLimitMs);
    }
    static bool watcherOnBus()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(watcherName);
    }
    ~Desktop()
    {
        for (QProcess *process : {&watcher, &xvfb}) {
            process->terminate();
            process->waitForFinished();
        }
    }
    QString log() const
    {
        return folder.filePath(QStringLiteral("watcher-%1.log").arg(watcherRuns));
    }
    // The bus name the tray icon registered under with the running watcher, once it has.
    QString registeredItem() const
    {
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("RegisterStatusNotifierItem \"([^\"]+)\""))
                .match(QString::fromUtf8(file.readAll()));
        return match.hasMatch() ? match.captured(1) : QString();
    }

    QTemporaryDir folder;
    QProcess xvfb;
    QProcess watcher;
    int watcherRuns = 0;
};

Desktop *desktop = nullptr;

QIcon testIcon(bool active)
{
    return QuorvelMark::icon(!active);
}

// The remote finds hosts through a network of the test's own, whose mDNS service the test stops
// when a notice is to arrive.
struct App {
    explicit App(bool remote = false, bool hosting = false, bool onboarded = true)
        : model(network, "Remote", KeychainTokenStore(), true, fastTimings())
    {
        openClientSettings()->clear();
        storeRoles(remote, hosting, onboarded);
        state = std::make_unique<AppState>(standInOptions(model, systemctl));
    }

    std::unique_ptr<TrayPresence> presence(bool trayAvailable)
    {
        return std::make_unique<TrayPresence>(*state, new AppMenu(*state), &testIcon,
                                              trayAvailable);
    }

    StandInSystemctl systemctl;
    Testing::FakeServiceNetwork network;
    ClientModel model;
    std::unique_ptr<AppState> state;
};

// The window's place in the X server's stacking order, bottom to top (no window manager
// reparents it here), or -1.
int stackingIndex(const QWidget *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return -1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (!tree)
        return -1;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        if (children[index] == xcb_window_t(window->winId()))
            return index;
    }
    return -1;
}

// Asks the tray icon registered under `item` to activate, as the panel does on a click.
void activate(const QString &item)
{
    QDBusConnection panel =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
    QDBusMessage call = QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.kde.StatusNotifierItem"),
                                                       QStringLiteral("Activate"));
    call.setArguments({0, 0});
    panel.asyncCall(call);
}

// What of the menu's text does not fit: each shown label or button shorter than its text
// needs at its width, or the window passing the screen's available area.
QStringList cutParts(const QWidget *menu)
{
    QStringList cut;
    const QRect available = menu->screen()->availableGeometry();
    if (!available.contains(menu->frameGeometry()))
        cut << QStringLiteral("the window %1,%2 %3x%4")
                   .arg(menu->x())
                   .arg(menu->y())
                   .arg(menu->width())
                   .arg(menu->height());
    for (const QWidget *part : menu->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(part);
        const auto *button = qobject_cast<const QAbstractButton *>(part);
        if ((!label && !button) || !part->isVisibleTo(menu))
            continue;
        const int needed = std::min(part->hasHeightForWidth() ? part->heightForWidth(part->width())
                                                              : part->minimumSizeHint().height(),
                                    part->maximumHeight());
        // Inside the window too: a part below its bottom edge is cut off just the same.
        const int bottom = part->mapTo(menu, QPoint(0, part->height())).y();
        if (part->height() < needed || bottom > menu->height())
            cut << (label ? label->text() : button->text());
    }
    return cut;
}

bool shows(const QWidget *menu, const QString &text)
{
    const QList<QLabel *> labels = menu->findChildren<QLabel *>();
    return std::any_of(labels.cbegin(), labels.cend(), [menu, &text](const QLabel *label) {
        return label->text() == text && label->isVisibleTo(menu);
    });
}

// What of the menu is taller than what it shows: the remote's main part (pairing, actions or
// the not-connected view) stretched past what it needs at its width, or room left below the
// footer's buttons.
QStringList slackParts(const AppMenu *menu)
{
    constexpr int footerInset = 12;
    QStringList slack;
    if (ClientRootView *remote = menu->remoteView(); remote && remote->isVisibleTo(menu)) {
        const QWidget *page = remote->findChild<QStackedLayout *>()->currentWidget();
        const int needed = std::max(page->hasHeightForWidth() ? page->heightForWidth(page->width())
                                                              : page->sizeHint().height(),
                                    page->minimumSizeHint().height());
        if (page->height() > needed)
            slack << QStringLiteral("%1 is %2 px tall for %3 px")
                         .arg(QString::fromLatin1(page->metaObject()->className()))
                         .arg(page->height())
                         .arg(needed);
    }
    const QPushButton *quit = menu->quitButton();
    const int below = menu->height() - quit->mapTo(menu, QPoint(0, quit->height())).y();
    if (below > footerInset)
        slack << QStringLiteral("%1 px below the footer").arg(below);
    return slack;
}

// Both: the menu is as tall as what it shows.
QStringList fitProblems(const AppMenu *menu)
{
    return cutParts(menu) + slackParts(menu);
}

// A deck of `count` buttons.
Deck buttons(int count)
{
    const Deck sample = sampleDeck();
    Deck deck = sample;
    deck.controls.clear();
    for (int index = 0; index < count; ++index) {
        Control control = sample.controls.front();
        control.id += QString::number(index);
        control.title += u' ' + QString::number(index);
        deck.controls.push_back(control);
    }
    return deck;
}

// Where the menu is: a window, or a popup opened from a tray at the bottom or the top of the
// screen (the pointer is where the icon was clicked).
enum class Place { window, popupAtTheBottom, popupAtTheTop };
// What changes while the menu is shown.
enum class Change {
    noticeArrives,
    hostAppears,
    deckToPairing,
    longDeckToShortDeck,
    shortDeckToLongDeck
};

// An XEmbed system tray as tint2 or Xfce's panel is one: a window of its own connection that
// takes the tray's selection and says so on the root window.
struct XEmbedTray {
    XEmbedTray() : connection(xcb_connect(nullptr, &screenNumber)) {}
    ~XEmbedTray() { xcb_disconnect(connection); }
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }
    void start()
    {
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
        const xcb_atom_t selection = atom(name.constData());
        xcb_set_selection_owner(connection, window, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t manager{};
        manager.response_type = XCB_CLIENT_MESSAGE;
        manager.format = 32;
        manager.window = screen->root;
        manager.type = atom("MANAGER");
        manager.data.data32[0] = XCB_CURRENT_TIME;
        manager.data.data32[1] = selection;
        manager.data.data32[2] = window;
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&manager));
        xcb_flush(connection);
    }
    int screenNumber = 0;
    xcb_connection_t *connection;
};

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Change)

// The menu on a desktop: with a system tray (Xvfb and a StatusNotifierWatcher) activating the
// icon drops the menu; without one the menu is a window shown at start and on every later start,
// until a tray starts.
class TrayPresenceTest : public QObject {
    Q_OBJECT

private slots:
    // First: Qt keeps its first answer about the bus's tray for the whole process.
    void aTrayThatStartsLaterTakesTheMenu();
    void aRestartedPanelGetsTheIconBack();
    void anXEmbedTrayThatStartsIsSeen();
    void theSetUpsLastStepFollowsTheTray();
    void aTrayIconShowsTheMenuWhenActivated();
    void withoutATrayTheMenuIsAWindow();
    void theMenuWindowOpensAtThePointer();
    void onAFirstStartTheMenuWindowIsNotUnderTheSetUp();
    void theMenuWindowFitsWhatItShows();
    void aPopupNearTheScreensEdgeOpensWhereThereIsRoom();
    void theMenuFitsWhatItShowsAfterEachChange_data();
    void theMenuFitsWhatItShowsAfterEachChange();
    void popupFrame_data();
    void popupFrame();
};

// Started before the panel: the menu is a window; when the panel's tray starts, the icon shows,
// the window goes, and the menu becomes the icon's popup.
void TrayPresenceTest::aTrayThatStartsLaterTakesTheMenu()
{
    QVERIFY(desktop->stopWatcher());
    App app;
    TrayWatch watch;
    QVERIFY(!watch.available());
    const auto presence =
        TrayPresence::onDesktop(*app.state, new AppMenu(*app.state), &testIcon, watch);
    QWidget *const menu = presence->menuWindow();
    QVERIFY(!presence->usesTray());
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));

    QVERIFY(desktop->startWatcher());
    QTRY_VERIFY_WITH_TIMEOUT(presence->usesTray(), serviceLimitMs);
    QVERIFY(watch.available());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(menu->windowType(), Qt::Popup);
    QTRY_VERIFY_WITH_TIMEOUT(!desktop->registeredItem().isEmpty(), serviceLimitMs);
}

// The panel quits and starts again: the icon registers with its new tray.
void TrayPresenceTest::aRestartedPanelGetsTheIconBack()
{
    QVERIFY(desktop->startWatcher());
    App app;
    TrayWatch watch;
    const auto presence =
        TrayPresence::onDesktop(*app.state, new AppMenu(*app.state), &testIcon, watch);
    QVERIFY(presence->usesTray());
    QTRY_VERIFY_WITH_TIMEOUT(!desktop->registeredItem().isEmpty(), serviceLimitMs);

    QVERIFY(desktop->stopWatcher());
    QVERIFY(desktop->startWatcher());
    QString item;
    QTRY_VERIFY_WITH_TIMEOUT(!(item = desktop->registeredItem()).isEmpty(), serviceLimitMs);
    QVERIFY(!presence->menuWindow()->isVisible());
    activate(item);
    QTRY_VERIFY_WITH_TIMEOUT(presence->menuWindow()->isVisible(), serviceLimitMs);
    presence->menuWindow()->hide();
}

// tint2 or Xfce's panel: a tray that takes the X11 selection is seen when it starts.
void TrayPresenceTest::anXEmbedTrayThatStartsIsSeen()
{
    QVERIFY(desktop->stopWatcher());
    TrayWatch watch;
    QVERIFY(!watch.available());
    QSignalSpy started(&watch, &TrayWatch::trayStarted);
    XEmbedTray tray;
    tray.start();
    QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, serviceLimitMs);
    QVERIFY(watch.available());
}

// Started before the panel: the set-up window, made then, says there is no tray until one
// starts, and then that Quorvel lives in it.
void TrayPresenceTest::theSetUpsLastStepFollowsTheTray()
{
    QVERIFY(desktop->stopWatcher());
    TrayWatch watch;
    QVERIFY(!watch.available());
    App app;
    SetupWindows::Options options;
    options.tray = &watch;
    SetupWindows setup(*app.state, std::move(options));
    app.state->showOnboarding();
    OnboardingWindow *window = setup.onboardingWindow();
    QVERIFY(window);
    window->flow().move(int(window->flow().steps().size()));
    const auto where = [window] {
        const auto *done = qobject_cast<DoneStepPage *>(window->page());
        return done ? done->whereText() : QString();
    };
    QCOMPARE(where(), DoneStepPage::whereText(false));

    XEmbedTray tray;
    tray.start();
    QTRY_COMPARE_WITH_TIMEOUT(where(), DoneStepPage::whereText(true), serviceLimitMs);
}

void TrayPresenceTest::aTrayIconShowsTheMenuWhenActivated()
{
    QVERIFY(desktop->startWatcher());
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    App app;
    const auto presence = app.presence(true);
    QVERIFY(presence->usesTray());
    QVERIFY(!presence->menuWindow()->isVisible());

    QString item;
    QTRY_VERIFY_WITH_TIMEOUT(!(item = desktop->registeredItem()).isEmpty(), serviceLimitMs);
    // The desktop's tray asks from a connection of its own, as a panel would.
    activate(item);
    QTRY_VERIFY_WITH_TIMEOUT(presence->menuWindow()->isVisible(), serviceLimitMs);
}

void TrayPresenceTest::withoutATrayTheMenuIsAWindow()
{
    App app;
    const auto presence = app.presence(false);
    QVERIFY(!presence->usesTray());
    QWidget *const menu = presence->menuWindow();
    // Shown on the start's next turn, after the windows that the start opens.
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->isWindow());

    // Closing it keeps the program; a later start shows it again.
    menu->close();
    QVERIFY(!menu->isVisible());
    QVERIFY(!QApplication::quitOnLastWindowClosed());
    app.state->handle(LaunchRequest());
    QVERIFY(menu->isVisible());
}

// Without a tray the menu window opens where the user is, at its start and at every later one,
// not where new windows go (the middle of the screen, where the set-up window covers it).
void TrayPresenceTest::theMenuWindowOpensAtThePointer()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint first(available.right() - 400, available.top() + 200);
    QCursor::setPos(first);
    QTRY_COMPARE(QCursor::pos(), first);
    App app;
    const auto presence = app.presence(false);
    QWidget *const menu = presence->menuWindow();
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    const auto besidePointer = [menu, &available](QPoint pointer) {
        const QRect frame = menu->frameGeometry();
        return available.contains(frame) && frame.adjusted(-2, -2, 2, 2).contains(pointer);
    };
    QTRY_VERIFY2(
        besidePointer(first),
        qPrintable(
            QStringLiteral("%1,%2").arg(menu->frameGeometry().x()).arg(menu->frameGeometry().y())));

    menu->close();
    const QPoint later(available.left() + 100, available.bottom() - 20);
    QCursor::setPos(later);
    QTRY_COMPARE(QCursor::pos(), later);
    app.state->handle(LaunchRequest());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY2(
        besidePointer(later),
        qPrintable(
            QStringLiteral("%1,%2").arg(menu->frameGeometry().x()).arg(menu->frameGeometry().y())));
}

// A first start opens the set-up window too: the menu window shows in front of it.
void TrayPresenceTest::onAFirstStartTheMenuWindowIsNotUnderTheSetUp()
{
    App app(false, false, false);
    SetupWindows setup(*app.state, {});
    const auto presence = app.presence(false);
    QWidget *const menu = presence->menuWindow();
    QTRY_VERIFY(setup.onboardingWindow());
    QWidget *const setUp = setup.onboardingWindow();
    QVERIFY(QTest::qWaitForWindowExposed(setUp));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY2(stackingIndex(menu) > stackingIndex(setUp),
                 qPrintable(QStringLiteral("menu %1, set-up %2")
                                .arg(stackingIndex(menu))
                                .arg(stackingIndex(setUp))));
}

// Both roles: the remote's notice ("Quorvel can't see your local network." and its explanation)
// arrives after the window is shown, when the discovery service stops.
void TrayPresenceTest::theMenuWindowFitsWhatItShows()
{
    App app(true, true);
    const auto presence = app.presence(false);
    QWidget *const menu = presence->menuWindow();
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    app.network.setDaemonRunning(false);
    QTRY_VERIFY_WITH_TIMEOUT(shows(menu, "Quorvel can't see your local network."), serviceLimitMs);
    QTRY_VERIFY2(cutParts(menu).isEmpty(), qPrintable(cutParts(menu).join(QStringLiteral(" | "))));
}

// A tray at the bottom of the screen: the pointer is there when the icon is clicked. The first
// opening fits and stays on the screen, above the pointer; so does the popup once the remote's
// notice arrives after it opened (the discovery service stops then, on purpose).
void TrayPresenceTest::aPopupNearTheScreensEdgeOpensWhereThereIsRoom()
{
    App app(true, true);
    const auto presence = app.presence(true);
    QWidget *const menu = presence->menuWindow();
    const QRect available = menu->screen()->availableGeometry();
    const QPoint click(available.right() - 20, available.bottom() - 4);
    QCursor::setPos(click);
    QTRY_COMPARE(QCursor::pos(), click);

    presence->showMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY2(cutParts(menu).isEmpty(), qPrintable(cutParts(menu).join(QStringLiteral(" | "))));
    QVERIFY(!shows(menu, "Quorvel can't see your local network."));

    app.network.setDaemonRunning(false);
    QTRY_VERIFY_WITH_TIMEOUT(shows(menu, "Quorvel can't see your local network."), serviceLimitMs);
    QTRY_VERIFY2(cutParts(menu).isEmpty(), qPrintable(cutParts(menu).join(QStringLiteral(" | "))));
    QTRY_VERIFY(menu->frameGeometry().bottom() < click.y());
    QVERIFY(menu->frameGeometry().right() <= click.x());
    menu->hide();
}

void TrayPresenceTest::theMenuFitsWhatItShowsAfterEachChange_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<Change>("change");
    const std::pair<const char *, Place> places[] = {
        {"window", Place::window},
        {"popup at the bottom", Place::popupAtTheBottom},
        {"popup at the top", Place::popupAtTheTop}};
    const std::pair<const char *, Change> changes[] = {
        {"a notice arrives", Change::noticeArrives},
        {"a second host appears", Change::hostAppears},
        {"the host's code changes: deck to pairing", Change::deckToPairing},
        {"a long deck becomes a short one", Change::longDeckToShortDeck},
        {"a short deck becomes a long one", Change::shortDeckToLongDeck}};
    for (const auto &[placeName, place] : places) {
        for (const auto &[changeName, change] : changes)
            QTest::addRow("%s, %s", placeName, changeName) << place << change;
    }
}

// The remote connected to a real host; the menu is shown, then what it shows changes. Each time
// it ends as tall as what it shows now: nothing cut, nothing stretched, nothing left below the
// footer, and a popup still on the screen's side of the pointer where it opened.
void TrayPresenceTest::theMenuFitsWhatItShowsAfterEachChange()
{
    QFETCH(Place, place);
    QFETCH(Change, change);
    const Deck longDeck = buttons(34);
    const Deck shortDeck = buttons(2);
    const bool startsLong =
        change == Change::deckToPairing || change == Change::longDeckToShortDeck;
    // A name as long as a computer's usually is; the code is stored under the host's own id.
    TestHost host(firstCode(), startsLong ? longDeck : shortDeck, QStringLiteral("Studio Mac"));
    QVERIFY(host.start());
    QVERIFY(Keyring().save(firstCode(), host.hostID()));
    App app(true, false);
    const auto presence = app.presence(place != Place::window);
    auto *const menu = static_cast<AppMenu *>(presence->menuWindow());
    app.model.connectTo(host.listing());
    QTRY_VERIFY_WITH_TIMEOUT(app.model.deck().has_value(), answerLimitMs);

    const QRect available = menu->screen()->availableGeometry();
    const QPoint click = place == Place::popupAtTheTop
                             ? QPoint(available.left() + 40, available.top() + 4)
                             : QPoint(available.right() - 20, available.bottom() - 4);
    if (place != Place::window) {
        QCursor::setPos(click);
        QTRY_COMPARE(QCursor::pos(), click);
    }
    presence->showMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY2(fitProblems(menu).isEmpty(),
                 qPrintable(fitProblems(menu).join(QStringLiteral(" | "))));
    const int before = menu->height();

    switch (change) {
    case Change::noticeArrives:
        app.model.setLastNotice(QStringLiteral(
            "The discovery service (avahi-daemon) is not running. Start it, or ask whoever looks "
            "after this computer to."));
        break;
    case Change::hostAppears: {
        DiscoveredHost kitchen = host.listing();
        kitchen.name = QStringLiteral("Kitchen");
        kitchen.id = QStringLiteral("Kitchen._quorvel._tcp.local.");
        kitchen.hostID = QStringLiteral("KITCHEN");
        app.model.receiveHosts({host.listing(), kitchen});
        break;
    }
    case Change::deckToPairing:
        // The host's code changed: the remote's next hello is refused.
        host.refuseHelloAsUnauthorized = QStringLiteral("pairing code is missing or wrong");
        host.stop();
        QVERIFY(host.start());
        QTRY_VERIFY_WITH_TIMEOUT(!app.model.isConnected(), answerLimitMs);
        app.model.connectTo(host.listing());
        QTRY_COMPARE_WITH_TIMEOUT(app.model.status().kind(),
                                  ClientConnectionStatus::Kind::needsPairing, answerLimitMs);
        break;
    case Change::longDeckToShortDeck:
    case Change::shortDeckToLongDeck: {
        const Deck next = startsLong ? shortDeck : longDeck;
        host.setDeckQuietly(next);
        host.broadcast(Message(next));
        QTRY_COMPARE_WITH_TIMEOUT(app.model.deck()->controls.size(), next.controls.size(),
                                  answerLimitMs);
        break;
    }
    }
    QTRY_VERIFY2(fitProblems(menu).isEmpty(),
                 qPrintable(fitProblems(menu).join(QStringLiteral(" | "))));
    const bool grows = change == Change::noticeArrives || change == Change::hostAppears ||
                       change == Change::shortDeckToLongDeck;
    if (grows)
        QTRY_VERIFY(menu->height() > before);
    else
        QTRY_VERIFY(menu->height() < before);
    // Beside the pointer where there is room; a menu taller than that room covers it.
    if (place == Place::popupAtTheBottom && menu->height() < click.y() - available.top())
        QTRY_VERIFY(menu->frameGeometry().bottom() < click.y());
    if (place == Place::popupAtTheTop && menu->height() < available.bottom() - click.y())
        QTRY_VERIFY(menu->frameGeometry().top() > click.y());

    // Closed and opened again, it still fits.
    menu->hide();
    presence->showMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY2(fitProblems(menu).isEmpty(),
                 qPrintable(fitProblems(menu).join(QStringLiteral(" | "))));
    menu->hide();
}

void TrayPresenceTest::popupFrame_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QPoint>("topLeft");
    // A 300x200 popup on a 1000x800 screen whose panel takes the top or bottom 30 pixels.
    QTest::newRow("panel at the top: below the icon") << QRect(500, 5, 20, 20) << QPoint(500, 25);
    QTest::newRow("panel at the bottom: above the icon")
        << QRect(500, 775, 20, 20) << QPoint(500, 575);
    QTest::newRow("icon at the right edge: ends at its right")
        << QRect(960, 775, 20, 20) << QPoint(680, 575);
    QTest::newRow("pointer at the bottom-right corner")
        << QRect(999, 799, 1, 1) << QPoint(700, 599);
    QTest::newRow("pointer mid-screen: below it") << QRect(400, 400, 1, 1) << QPoint(400, 401);
}

void TrayPresenceTest::popupFrame()
{
    QFETCH(QRect, anchor);
    const QRect available(0, 0, 1000, 800);
    const QRect frame = TrayPresence::popupFrame(QSize(300, 200), anchor, available);
    QTEST(frame.topLeft(), "topLeft");
    QVERIFY(available.contains(frame));
    // Taller than the screen: from its top, as much as fits.
    const QRect tall = TrayPresence::popupFrame(QSize(300, 900), anchor, available);
    QCOMPARE(tall.top(), 0);
}

int main(int argc, char *argv[])
{
    Desktop theDesktop;
    if (!theDesktop.start()) {
        std::fprintf(stderr, "TrayPresenceTest: Xvfb or the tray watcher did not start\n");
        return 1;
    }
    desktop = &theDesktop;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TrayPresenceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TrayPresenceTest.moc"

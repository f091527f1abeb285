#include "Quorvel/TrayPresence.h"
#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::AppTest;

namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
// Xvfb and the watcher start in well under a second; more means they failed.
constexpr int serviceLimitMs = 10000;

// An X server and a system tray of the test's own: Xvfb on a display it picks, and a
// StatusNotifierWatcher on the sandbox's session bus (python3-dbusmock). Made before the
// application, which connects to both.
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

        watcher.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                       QStringLiteral("--session"), QStringLiteral("-l"), log(),
                       QStringLiteral("-t"),
                       QStringLiteral(QUORVEL_APP_TEST_DIR) +
                           QStringLiteral("/status_notifier_watcher_template.py")});
        return watcher.waitForStarted() &&
               QTest::qWaitFor(
                   [] {
                       return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                           watcherName);
                   },
                   serviceLimitMs);
    }
    ~Desktop()
    {
        for (QProcess *process : {&watcher, &xvfb}) {
            process->terminate();
            process->waitForFinished();
        }
    }
    QString log() const { return folder.filePath(QStringLiteral("watcher.log")); }
    // The bus name the tray icon registered under, once it has.
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
};

Desktop *desktop = nullptr;

struct App {
    explicit App(bool remote = false, bool hosting = false)
        : model("Remote", KeychainTokenStore(), true)
    {
        storeRoles(remote, hosting);
        state = std::make_unique<AppState>(standInOptions(model, systemctl));
    }

    std::unique_ptr<TrayPresence> presence(bool trayAvailable)
    {
        return std::make_unique<TrayPresence>(
            *state, new AppMenu(*state), [](bool active) { return QuorvelMark::icon(!active); },
            trayAvailable);
    }

    StandInSystemctl systemctl;
    ClientModel model;
    std::unique_ptr<AppState> state;
};

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

} // namespace

// The menu on a desktop: with a system tray (Xvfb and a StatusNotifierWatcher) activating the
// icon drops the menu; without one the menu is a window shown at start and on every later start.
class TrayPresenceTest : public QObject {
    Q_OBJECT

private slots:
    void aTrayIconShowsTheMenuWhenActivated();
    void withoutATrayTheMenuIsAWindow();
    void theMenuWindowFitsWhatItShows();
    void aPopupNearTheScreensEdgeOpensWhereThereIsRoom();
    void popupFrame_data();
    void popupFrame();
};

void TrayPresenceTest::aTrayIconShowsTheMenuWhenActivated()
{
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    App app;
    const auto presence = app.presence(true);
    QVERIFY(presence->usesTray());
    QVERIFY(!presence->menuWindow()->isVisible());

    QString item;
    QTRY_VERIFY_WITH_TIMEOUT(!(item = desktop->registeredItem()).isEmpty(), serviceLimitMs);
    // The desktop's tray asks from a connection of its own, as a panel would.
    QDBusConnection panel =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
    QDBusMessage activate = QDBusMessage::createMethodCall(
        item, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
        QStringLiteral("Activate"));
    activate.setArguments({0, 0});
    panel.asyncCall(activate);
    QTRY_VERIFY_WITH_TIMEOUT(presence->menuWindow()->isVisible(), serviceLimitMs);
}

void TrayPresenceTest::withoutATrayTheMenuIsAWindow()
{
    App app;
    const auto presence = app.presence(false);
    QVERIFY(!presence->usesTray());
    QWidget *const menu = presence->menuWindow();
    QVERIFY(menu->isVisible());
    QVERIFY(menu->isWindow());

    // Closing it keeps the program; a later start shows it again.
    menu->close();
    QVERIFY(!menu->isVisible());
    QVERIFY(!QApplication::quitOnLastWindowClosed());
    app.state->handle(LaunchRequest());
    QVERIFY(menu->isVisible());
}

// Both roles, in a session without the discovery service: the remote's notice ("Quorvel can't
// see your local network." and its explanation) arrives after the window is shown.
void TrayPresenceTest::theMenuWindowFitsWhatItShows()
{
    App app(true, true);
    const auto presence = app.presence(false);
    QWidget *const menu = presence->menuWindow();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTRY_VERIFY_WITH_TIMEOUT(shows(menu, "Quorvel can't see your local network."), serviceLimitMs);
    QTRY_VERIFY2(cutParts(menu).isEmpty(), qPrintable(cutParts(menu).join(QStringLiteral(" | "))));
}

// A tray at the bottom of the screen: the pointer is there when the icon is clicked. The first
// opening already fits and stays on the screen, above the pointer.
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
    QVERIFY(menu->frameGeometry().bottom() < click.y());
    QVERIFY(menu->frameGeometry().right() <= click.x());
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

#include "Quorvel/TrayPresence.h"
#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include "AppTestSupport.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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
    App() : model("Remote", KeychainTokenStore(), true)
    {
        storeRoles(false, false);
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

} // namespace

// The menu on a desktop: with a system tray (Xvfb and a StatusNotifierWatcher) activating the
// icon drops the menu; without one the menu is a window shown at start and on every later start.
class TrayPresenceTest : public QObject {
    Q_OBJECT

private slots:
    void aTrayIconShowsTheMenuWhenActivated();
    void withoutATrayTheMenuIsAWindow();
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

#include "Quorvel/Setup/SetupWindows.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "Quorvel/Outside/Updater.h"
#include "Quorvel/Setup/OnboardingWindow.h"

#include "SetupFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::SetupTest;
using Step = OnboardingFlow::Step;

namespace {

// A feed on loopback that nothing serves: no check in these tests reaches anything.
const QUrl unservedFeed(QStringLiteral("https://127.0.0.1:9/appcast.xml"));

// The set-up and settings windows of one run of the program.
struct Windows {
    explicit Windows(AppState &state) : updater(unservedFeed, QStringLiteral("1.0"))
    {
        SetupWindows::Options options;
        options.services.general.approvals = &approvals;
        options.services.updater = &updater;
        options.services.version = QStringLiteral("1.0");
        setup = std::make_unique<SetupWindows>(state, std::move(options));
    }

    LinkApprovals approvals;
    Updater updater;
    std::unique_ptr<SetupWindows> setup;
};

} // namespace

// One set-up and one settings window per process, through the application's window table, with
// what each keeps when closed and the settings window's place kept between runs.
class SetupWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void startOpensTheWindowsAsked_data();
    void startOpensTheWindowsAsked();
    void oneSettingsWindowKeepsItsTab();
    void settingsWindowComesBackWhereItWas();
    void setUpResumesUntilDone();
    void endingWithBothWindowsOpen();
    void windowsOpenWithNoControlFocused_data();
    void windowsOpenWithNoControlFocused();
};

void SetupWindowsTest::init()
{
    openClientSettings()->clear();
    storeRoles(false, false, true);
}

void SetupWindowsTest::startOpensTheWindowsAsked_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("onboarded");
    QTest::addColumn<bool>("setUp");
    QTest::addColumn<bool>("settings");
    QTest::newRow("plain start") << QStringList() << true << false << false;
    QTest::newRow("first run") << QStringList() << false << true << false;
    QTest::newRow("set-up asked") << QStringList{"--show-onboarding"} << true << true << false;
    QTest::newRow("a tab asked") << QStringList{"--settings-tab=updates"} << true << false << true;
}

void SetupWindowsTest::startOpensTheWindowsAsked()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, onboarded);
    QFETCH(bool, setUp);
    QFETCH(bool, settings);
    storeRoles(false, false, onboarded);
    SetupApp app(SetupApp::Systemctl::standIn, LaunchRequest::fromArguments(arguments));
    Windows windows(*app.state);
    // The start queues its windows for the event loop's first turn.
    QCoreApplication::processEvents();
    QCOMPARE(windows.setup->onboardingWindow() != nullptr, setUp);
    QCOMPARE(windows.setup->settingsWindow() != nullptr, settings);
    // The first opening shows the first tab, whatever tab was named.
    if (settings)
        QCOMPARE(windows.setup->settingsWindow()->currentTag(), QStringLiteral("general"));
}

void SetupWindowsTest::oneSettingsWindowKeepsItsTab()
{
    SetupApp app;
    Windows windows(*app.state);
    app.state->showSettings();
    SettingsWindow *first = windows.setup->settingsWindow();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowTitle(), SettingsWindow::windowTitleText);
    QCOMPARE(first->currentTag(), QStringLiteral("general"));
    QCOMPARE(first->tabs()->count(), 4);
    app.state->showSettings();
    QCOMPARE(windows.setup->settingsWindow(), first);

    first->selectTab(QStringLiteral("updates"));
    first->close();
    QVERIFY(!first->isVisible());
    app.state->showSettings();
    QCOMPARE(windows.setup->settingsWindow(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->currentTag(), QStringLiteral("updates"));
}

void SetupWindowsTest::settingsWindowComesBackWhereItWas()
{
    // Inside the offscreen platform's 800×600 screen, so nothing moves it back.
    const QRect chosen(40, 30, 600, 500);
    {
        SetupApp app;
        Windows windows(*app.state);
        app.state->showSettings();
        SettingsWindow *window = windows.setup->settingsWindow();
        QCOMPARE(window->size(), SettingsWindow::defaultSize);
        window->setGeometry(chosen);
        window->close();
    }
    SetupApp app;
    Windows windows(*app.state);
    app.state->showSettings();
    QCOMPARE(windows.setup->settingsWindow()->geometry(), chosen);
}

void SetupWindowsTest::setUpResumesUntilDone()
{
    SetupApp app;
    Windows windows(*app.state);
    app.state->showOnboarding();
    OnboardingWindow *first = windows.setup->onboardingWindow();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->size(), OnboardingWindow::fixedSize);
    first->flow().setWantsHosting(true);
    first->flow().pressPrimary();
    QCOMPARE(first->flow().step(), Step::host);
    first->close();

    app.state->showOnboarding();
    QCOMPARE(windows.setup->onboardingWindow(), first);
    QCOMPARE(first->flow().step(), Step::host);

    first->flow().move(10);
    first->flow().pressPrimary();
    QVERIFY(app.state->roles().onboarded());
    QVERIFY(!first->isVisible());
    QTRY_VERIFY(!windows.setup->onboardingWindow());

    app.state->showOnboarding();
    QVERIFY(windows.setup->onboardingWindow());
    QCOMPARE(windows.setup->onboardingWindow()->flow().step(), Step::welcome);
}

void SetupWindowsTest::endingWithBothWindowsOpen()
{
    storeRoles(true, true, true);
    auto app = std::make_unique<SetupApp>();
    auto windows = std::make_unique<Windows>(*app->state);
    app->state->showOnboarding();
    app->state->showSettings();
    windows->setup->settingsWindow()->selectTab(QStringLiteral("host"));
    QVERIFY(windows->setup->onboardingWindow()->isVisible());
    QVERIFY(windows->setup->settingsWindow()->isVisible());
    // As the program ends: the windows go before the services they show.
    windows.reset();
    app.reset();
    QVERIFY(stored(SetupWindows::geometryKey).toByteArray().size() > 0);
}

void SetupWindowsTest::windowsOpenWithNoControlFocused_data()
{
    QTest::addColumn<bool>("setUp");
    QTest::addColumn<bool>("reopened");
    for (const bool setUp : {true, false}) {
        for (const bool reopened : {false, true})
            QTest::addRow("%s, %s", setUp ? "set-up" : "settings",
                          reopened ? "opened again" : "opened")
                << setUp << reopened;
    }
}

void SetupWindowsTest::windowsOpenWithNoControlFocused()
{
    QFETCH(bool, setUp);
    QFETCH(bool, reopened);
    SetupApp app;
    Windows windows(*app.state);
    const auto open = [&]() -> QWidget * {
        if (setUp) {
            app.state->showOnboarding();
            return windows.setup->onboardingWindow();
        }
        app.state->showSettings();
        return windows.setup->settingsWindow();
    };
    QWidget *window = open();
    QVERIFY(window);
    if (reopened) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Tab);
        window->close();
        QCOMPARE(open(), window);
    }
    // The start's turns of the event loop run first; the window manager activates the window
    // after them, on its own time.
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));

    QWidget *focused = QApplication::focusWidget();
    QVERIFY2(!focused || focused == window,
             qPrintable(QString::fromLatin1(focused->metaObject()->className())));
    int presses = 0;
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        connect(button, &QAbstractButton::pressed, this, [&presses] { ++presses; });
    const auto *tabs = window->findChild<QTabBar *>();
    const int tab = tabs ? tabs->currentIndex() : -1;
    QTest::keyClick(focused ? focused : window, Qt::Key_Space);
    QCOMPARE(presses, 0);
    QCOMPARE(tabs ? tabs->currentIndex() : -1, tab);

    // Return still presses the set-up window's default button.
    if (auto *onboarding = qobject_cast<OnboardingWindow *>(window)) {
        const Step step = onboarding->flow().step();
        onboarding->flow().setWantsRemote(true);
        QTest::keyClick(focused ? focused : window, Qt::Key_Return);
        QVERIFY(onboarding->flow().step() != step);
    }
}

QTEST_MAIN(SetupWindowsTest)
#include "SetupWindowsTest.moc"

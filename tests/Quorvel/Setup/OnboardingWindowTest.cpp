#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/Setup/DoneStepPage.h"
#include "Quorvel/Setup/HostStepPage.h"
#include "Quorvel/Setup/KeepAwakeSwitch.h"
#include "Quorvel/Setup/LocalEditorButton.h"
#include "Quorvel/Setup/RemoteStepPage.h"
#include "Quorvel/Setup/RoleChoice.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "QuorvelCore/Mark/ColourContrast.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"
#include "Widgets/SymbolLabel.h"

#include "SetupFixture.h"
#include "TestHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::SetupTest;
using Step = OnboardingFlow::Step;

namespace {

template<typename Page> Page *pageOf(const OnboardingWindow &window)
{
    return qobject_cast<Page *>(window.page());
}

} // namespace

// The set-up window driven by its keys and buttons over a real application state: a real host
// started by "Start Hosting", a real client pairing with the small test host over TLS on
// loopback.
class OnboardingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cardsFlipTheirOwnWishOnly();
    void welcomeMarkStandsOutInEitherPalette_data();
    void welcomeMarkStandsOutInEitherPalette();
    void returnPressesTheDefaultButton();
    void startHostingShowsTheRunningHost();
    void remoteStepPairsWithATestHost();
    void codeFieldKeepsTheFocusAfterARefusedCode();
    void doneStepSaysWhereQuorvelLives_data();
    void doneStepSaysWhereQuorvelLives();
    void doneStepOffersThisComputersActionsWhileHosting();
};

void OnboardingWindowTest::init()
{
    openClientSettings()->clear();
    storeRoles(false, false, false);
}

void OnboardingWindowTest::cardsFlipTheirOwnWishOnly()
{
    SetupApp app;
    OnboardingWindow window(*app.state, {});
    window.show();
    auto *welcome = pageOf<WelcomePage>(window);
    QVERIFY(welcome);
    RoleChoice *hosting = welcome->hostingChoice();
    QCOMPARE(welcome->remoteChoice()->detail(),
             QStringLiteral("Your other computers' actions appear in the system tray, and in your "
                            "shortcuts and other apps on this computer too."));
    QCOMPARE(hosting->markSymbol(), QStringLiteral("circle"));
    QVERIFY(!window.primaryButton()->isEnabled());
    QVERIFY(!window.backButton()->isVisible());

    // A click in the blank right of the text counts.
    QTest::mouseClick(hosting, Qt::LeftButton, {},
                      QPoint(hosting->width() - 4, hosting->height() / 2));
    QVERIFY(window.flow().wantsHosting());
    QVERIFY(!window.flow().wantsRemote());
    QCOMPARE(hosting->markSymbol(), QStringLiteral("checkmark.circle.fill"));
    QVERIFY(window.primaryButton()->isEnabled());
    QTest::mouseClick(hosting, Qt::LeftButton);
    QVERIFY(!window.flow().wantsHosting());
    QVERIFY(!window.primaryButton()->isEnabled());
}

void OnboardingWindowTest::welcomeMarkStandsOutInEitherPalette_data()
{
    QTest::addColumn<QPalette>("madeIn");
    QTest::addColumn<QPalette>("shownIn");
    const QPalette light = QApplication::style()->standardPalette();
    QPalette dark = light;
    // Breeze Dark's window and text.
    dark.setColor(QPalette::Window, QColor(0x20, 0x23, 0x26));
    dark.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    QTest::newRow("light") << light << light;
    QTest::newRow("dark") << dark << dark;
    // An open window keeps up with a change of its palette.
    QTest::newRow("light, then dark") << light << dark;
    QTest::newRow("dark, then light") << dark << light;
}

// The welcome page's mark is drawn in the window's text colour, so it stands out from the window
// as a mark must (a contrast of at least 3) in a dark palette as in a light one.
void OnboardingWindowTest::welcomeMarkStandsOutInEitherPalette()
{
    QFETCH(QPalette, madeIn);
    QFETCH(QPalette, shownIn);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
    SetupApp app;
    QApplication::setPalette(madeIn);
    OnboardingWindow window(*app.state, {});
    window.show();
    window.setPalette(shownIn);
    QLabel *mark = nullptr;
    for (QLabel *label : pageOf<WelcomePage>(window)->findChildren<QLabel *>()) {
        if (label->accessibleName() == QLatin1String("Quorvel"))
            mark = label;
    }
    QVERIFY(mark);
    const QImage picture = mark->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QColor windowColour = mark->palette().color(QPalette::Window);
    QCOMPARE(windowColour, shownIn.color(QPalette::Window));
    int inked = 0;
    int standingOut = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) < 255)
                continue;
            ++inked;
            standingOut += ColourContrast::ratio(QColor(pixel), windowColour) >= 3.0 ? 1 : 0;
        }
    }
    QVERIFY(inked > 0);
    QCOMPARE(standingOut, inked);
}

void OnboardingWindowTest::returnPressesTheDefaultButton()
{
    SetupApp app;
    OnboardingWindow window(*app.state, {});
    window.show();
    QVERIFY(window.primaryButton()->isDefault());
    // Disabled on welcome without a role: Return does nothing.
    QTest::keyClick(&window, Qt::Key_Return);
    QCOMPARE(window.flow().step(), Step::welcome);
    pageOf<WelcomePage>(window)->remoteChoice()->click();
    QTest::keyClick(&window, Qt::Key_Return);
    QCOMPARE(window.flow().step(), Step::remote);
    QVERIFY(pageOf<RemoteStepPage>(window));
    QVERIFY(window.backButton()->isVisible());
}

void OnboardingWindowTest::startHostingShowsTheRunningHost()
{
    SetupApp app;
    OnboardingWindow window(*app.state, {});
    window.show();
    pageOf<WelcomePage>(window)->hostingChoice()->click();
    window.primaryButton()->click();
    auto *before = pageOf<HostStepPage>(window);
    QVERIFY(before);
    QVERIFY(!before->running());
    QCOMPARE(window.primaryButton()->text(), OnboardingFlow::startHostingTitle);
    before->startAtLogin()->setChecked(false);

    window.primaryButton()->click();
    QVERIFY(app.state->host());
    QTRY_VERIFY(pageOf<HostStepPage>(window) && pageOf<HostStepPage>(window)->running());
    auto *running = pageOf<HostStepPage>(window);
    QCOMPARE(window.primaryButton()->text(), OnboardingFlow::continueTitle);
    auto *code = running->findChild<PairingCodeView *>();
    QVERIFY(code);
    code->toggleRevealed();
    QCOMPARE(code->shownCode(), app.state->host()->pairingToken().displayText());
    // The switch writes the coordinator's wish.
    running->keepAwake()->box()->setChecked(true);
    QVERIFY(app.state->host()->keepsAwake());
    for (const QString &call : app.standIn->calls())
        QVERIFY2(!call.startsWith(QLatin1String("enable")), qPrintable(call));
}

void OnboardingWindowTest::remoteStepPairsWithATestHost()
{
    using namespace Quorvel::ClientTest;
    TestHost host(firstCode(), sampleDeck(), QStringLiteral("Studio Host"));
    QVERIFY(host.start());
    SetupApp app;
    OnboardingWindow window(*app.state, {});
    window.show();
    pageOf<WelcomePage>(window)->remoteChoice()->click();
    window.primaryButton()->click();
    QCOMPARE(window.primaryButton()->text(), OnboardingFlow::startLookingTitle);
    window.primaryButton()->click();
    QVERIFY(app.model.isBrowsing());
    QCOMPARE(window.primaryButton()->text(), OnboardingFlow::continueTitle);
    QVERIFY(pageOf<RemoteStepPage>(window));
    QVERIFY(!pageOf<RemoteStepPage>(window)->pairingView());

    app.model.connectTo(host.listing());
    QTRY_VERIFY(pageOf<RemoteStepPage>(window) && pageOf<RemoteStepPage>(window)->pairingView());
    QLineEdit *field = pageOf<RemoteStepPage>(window)->pairingView()->field();
    field->setFocus();
    QTest::keyClicks(field, firstCode().displayText());
    // Return in the field hands over the code, and only that: the step stays.
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(window.flow().step(), Step::remote);
    QTRY_VERIFY(pageOf<RemoteStepPage>(window) && pageOf<RemoteStepPage>(window)->connectedLabel());
    auto *page = pageOf<RemoteStepPage>(window);
    QCOMPARE(page->connectedLabel()->text(), QStringLiteral("Connected to Studio Host"));
    QCOMPARE(page->deckLine(), *RemoteStepPage::deckSentence(int(sampleDeck().controls.size())));
    QCOMPARE(window.flow().step(), Step::remote);
}

// A refused code makes the page again: the new code field takes the focus, so that the next code
// typed lands in it and its Return hands it over instead of pressing "Continue".
void OnboardingWindowTest::codeFieldKeepsTheFocusAfterARefusedCode()
{
    using namespace Quorvel::ClientTest;
    TestHost host(firstCode(), sampleDeck(), QStringLiteral("Studio Host"));
    QVERIFY(host.start());
    SetupApp app;
    OnboardingWindow window(*app.state, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    pageOf<WelcomePage>(window)->remoteChoice()->click();
    window.primaryButton()->click();
    window.primaryButton()->click();
    app.model.connectTo(host.listing());
    QTRY_VERIFY(pageOf<RemoteStepPage>(window) && pageOf<RemoteStepPage>(window)->pairingView());
    QTRY_COMPARE(QApplication::focusWidget(),
                 pageOf<RemoteStepPage>(window)->pairingView()->field());

    QTest::keyClicks(QApplication::focusWidget(), secondCode().displayText());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    const auto refused = [&window]() -> PairingView * {
        auto *page = pageOf<RemoteStepPage>(window);
        PairingView *pairing = page ? page->pairingView() : nullptr;
        const bool shown = pairing && pairing->isVisible() && !pairing->reasonText().isEmpty() &&
                           pairing->reasonText() != ClientModel::keyringWaitText;
        return shown ? pairing : nullptr;
    };
    QTRY_VERIFY(refused());
    QTRY_COMPARE(QApplication::focusWidget(), refused()->field());
    // The window taking the focus, as it does when it opens, hands it to the field too.
    window.backButton()->setFocus();
    window.setFocus();
    QCOMPARE(QApplication::focusWidget(), refused()->field());

    QTest::keyClicks(QApplication::focusWidget(), firstCode().displayText());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(window.flow().step(), Step::remote);
    QTRY_VERIFY(pageOf<RemoteStepPage>(window) && pageOf<RemoteStepPage>(window)->connectedLabel());
    QCOMPARE(window.flow().step(), Step::remote);
}

void OnboardingWindowTest::doneStepSaysWhereQuorvelLives_data()
{
    QTest::addColumn<bool>("tray");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("tray") << true << "lives in the system tray";
    QTest::newRow("no tray") << false << "gnome-shell-extension-appindicator";
}

void OnboardingWindowTest::doneStepSaysWhereQuorvelLives()
{
    QFETCH(bool, tray);
    QFETCH(QString, mentions);
    SetupApp app;
    OnboardingWindow::Options options;
    options.trayAvailable = tray;
    OnboardingWindow window(*app.state, options);
    window.flow().move(1);
    auto *done = pageOf<DoneStepPage>(window);
    QVERIFY(done);
    QVERIFY2(done->whereText().contains(mentions), qPrintable(done->whereText()));
    // The mark sits on its own faint rounded tile, not on the bare window.
    window.show();
    auto *tile = done->findChild<QWidget *>(QStringLiteral("markTile"));
    QVERIFY(tile);
    QCOMPARE(tile->size(), QSize(30, 30));
    const QImage drawn = tile->grab().toImage();
    const QColor background = done->palette().color(QPalette::Window);
    const QColor fill = drawn.pixelColor(drawn.width() / 2, 2);
    QVERIFY2(fill != background && qAbs(fill.lightness() - background.lightness()) < 40,
             qPrintable(fill.name()));
    // Neither hosting nor connected: no editing buttons.
    QVERIFY(!done->localEditor());
    QVERIFY(!done->remoteEditor());
}

void OnboardingWindowTest::doneStepOffersThisComputersActionsWhileHosting()
{
    storeRoles(false, true);
    SetupApp app;
    QVERIFY(app.state->host());
    OnboardingWindow window(*app.state, {});
    window.flow().move(10);
    auto *done = pageOf<DoneStepPage>(window);
    QVERIFY(done && done->localEditor());
    QTRY_VERIFY(app.state->host()->port().has_value());
    QTRY_VERIFY(done->localEditor()->button()->isEnabled());
    QCOMPARE(done->localEditor()->reasonText(), QString());
}

QTEST_MAIN(OnboardingWindowTest)
#include "OnboardingWindowTest.moc"

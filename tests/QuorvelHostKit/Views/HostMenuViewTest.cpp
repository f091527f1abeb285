#include "QuorvelHostKit/Views/HostMenuView.h"
#include "Gallery/GalleryDecks.h"
#include "Gallery/GallerySession.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Views/DeckEditingView.h"
#include "QuorvelHostKit/Views/HostControlRow.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

// The deck's status checks run on loopback shells in milliseconds; room for a slow machine.
constexpr int answerLimitMs = 15000;

// Points the data folder below a regular file for as long as it lives, so no new pairing code
// can be saved (this holds for root too, which ignores folder permissions).
class UnwritableDataFolder {
public:
    UnwritableDataFolder() : m_previous(qgetenv("XDG_DATA_HOME"))
    {
        QFile blocker(m_dir.filePath(QStringLiteral("file")));
        blocker.open(QIODevice::WriteOnly);
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName() + QStringLiteral("/data")));
    }
    ~UnwritableDataFolder() { qputenv("XDG_DATA_HOME", m_previous); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

} // namespace

class HostMenuViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void copyWhileHiddenGivesTheDashedCode();
    void setByEnvironmentOnlyForTheCodeInForce_data();
    void setByEnvironmentOnlyForTheCodeInForce();
    void codeShrinksToFitItsLine();
    void newCodeShowsAtOnce();
    void newCodeThatCouldNotBeSavedSaysSo();
    void editingSwitchWritesTheSettingAndRereadsIt();
    void panelShowsOutsideTextAsText();
};

void HostMenuViewTest::initTestCase()
{
    IconTheme::setUp();
}

void HostMenuViewTest::copyWhileHiddenGivesTheDashedCode()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    QVERIFY(host);
    PairingCodeView view(&host->coordinator());
    QVERIFY(!view.revealed());
    QCOMPARE(view.shownCode(), QString(14, QChar(0x2022)));
    view.copy();
    const QString display = host->coordinator().pairingToken().displayText();
    QVERIFY(display.contains(QLatin1Char('-')));
    QCOMPARE(QGuiApplication::clipboard()->text(), display);
    QVERIFY(!view.revealed());
    view.toggleRevealed();
    QCOMPARE(view.shownCode(), display);
    view.toggleRevealed();
    QVERIFY(!view.revealed());
}

void HostMenuViewTest::setByEnvironmentOnlyForTheCodeInForce_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<bool>("rotateFirst");
    QTest::addColumn<bool>("setByEnvironment");
    const QString valid = QStringLiteral("HX7K-M2QP-9RTW-4VBN-C8JD-F3YE");
    QTest::newRow("valid") << valid << false << true;
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("invalid") << QStringLiteral("not a code") << false << false;
    // Another part of the application made a new code: the variable no longer decides it.
    QTest::newRow("valid, replaced since") << valid << true << false;
}

void HostMenuViewTest::setByEnvironmentOnlyForTheCodeInForce()
{
    QFETCH(QString, environment);
    QFETCH(bool, rotateFirst);
    QFETCH(bool, setByEnvironment);
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio(), environment);
    QVERIFY(host);
    if (rotateFirst)
        host->coordinator().rotatePairingCode();
    PairingCodeView view(&host->coordinator());
    QCOMPARE(view.showsSetByEnvironment(), setByEnvironment);
    QCOMPARE(view.offersNewCode(), !setByEnvironment);
    // While the variable decides, no confirmation appears either.
    view.askToRotate();
    QCOMPARE(view.showsConfirmation(), !setByEnvironment);
}

void HostMenuViewTest::codeShrinksToFitItsLine()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    QVERIFY(host);
    HostMenuView panel(&host->coordinator(), true);
    PairingCodeView *view = panel.pairingCodeView();
    view->toggleRevealed();
    panel.adjustSize();
    QLabel *code = nullptr;
    for (QLabel *label : view->findChildren<QLabel *>()) {
        if (label->text() == view->shownCode())
            code = label;
    }
    QVERIFY(code);
    // Drawn without being shown, as the gallery does.
    const QPixmap drawn = panel.grab();
    QVERIFY(!drawn.isNull());
    const QFontMetrics metrics(code->font());
    QVERIFY(metrics.horizontalAdvance(code->text()) <= code->width());
}

void HostMenuViewTest::newCodeShowsAtOnce()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    QVERIFY(host);
    const PairingToken before = host->coordinator().pairingToken();
    PairingCodeView view(&host->coordinator());
    view.askToRotate();
    QVERIFY(view.showsConfirmation());
    QVERIFY(!view.offersNewCode());
    view.cancelRotate();
    QVERIFY(!view.showsConfirmation());
    QCOMPARE(host->coordinator().pairingToken(), before);

    view.askToRotate();
    view.rotate();
    QVERIFY(host->coordinator().pairingToken() != before);
    QVERIFY(view.revealed());
    QVERIFY(!view.showsConfirmation());
    QCOMPARE(view.shownCode(), host->coordinator().pairingToken().displayText());
    QVERIFY(!view.showsUnsavedWarning());
}

void HostMenuViewTest::newCodeThatCouldNotBeSavedSaysSo()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    QVERIFY(host);
    PairingCodeView view(&host->coordinator());
    QVERIFY(!view.showsUnsavedWarning());
    {
        UnwritableDataFolder unwritable;
        QVERIFY(!host->coordinator().rotatePairingCode());
    }
    QVERIFY(!host->coordinator().pairingCodeSaved());
    QVERIFY(view.showsUnsavedWarning());
    // The next code that reaches the file is lasting again.
    view.askToRotate();
    view.rotate();
    QVERIFY(host->coordinator().pairingCodeSaved());
    QVERIFY(!view.showsUnsavedWarning());
}

void HostMenuViewTest::editingSwitchWritesTheSettingAndRereadsIt()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    QVERIFY(host);
    DeckEditingView view(&host->coordinator());
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QVERIFY(!view.editingSwitch()->isChecked());
    QTest::mouseClick(view.editingSwitch(), Qt::LeftButton);
    QVERIFY(host->coordinator().allowDeckEditing());
    QCOMPARE(view.explanation(),
             QStringLiteral("Paired devices can change what this computer runs."));
    {
        QSettings stored(HostSettings::filePath(), QSettings::IniFormat);
        QCOMPARE(stored.value(QLatin1String(HostCoordinator::allowDeckEditingKey)).toBool(), true);
        // A user turns it off from outside the application.
        stored.setValue(QLatin1String(HostCoordinator::allowDeckEditingKey), false);
    }
    view.hide();
    view.show();
    QVERIFY(!view.editingSwitch()->isChecked());
    QVERIFY(!host->coordinator().allowDeckEditing());
    QCOMPARE(view.explanation(),
             QStringLiteral("Only edits made on this computer (deck.json) apply."));
}

void HostMenuViewTest::panelShowsOutsideTextAsText()
{
    Deck deck = GalleryDecks::studio();
    deck.deckName = QStringLiteral("<h1>Studio</h1>");
    GallerySession session;
    GalleryHost *host = session.startHost(deck);
    QVERIFY(host);
    HostCoordinator &coordinator = host->coordinator();
    QTRY_VERIFY_WITH_TIMEOUT(coordinator.latestStates().contains(QStringLiteral("uptime")),
                             answerLimitMs);
    HostMenuView view(&coordinator, false);
    QCOMPARE(view.deckTitle(), QStringLiteral("<h1>Studio</h1>"));
    deck.deckName = QStringLiteral("\u001B[31mStudio\u202Eslortnoc\r\nat night");
    coordinator.applyDeck(deck);
    QTRY_COMPARE(view.deckTitle(), QStringLiteral("<U+001B>[31mStudio<U+202E>slortnoc at night"));
    QCOMPARE(view.clientCountText(), QStringLiteral("0 client(s) connected"));
    QVERIFY(!view.quitButton());
    QCOMPARE(view.rows().size(), qsizetype(deck.controls.size()));
    bool sawMarkup = false;
    for (HostControlRow *row : view.rows()) {
        if (row->control().id == QStringLiteral("markup")) {
            QCOMPARE(row->title(), QStringLiteral("<b>Bold</b> & <i>plain</i>"));
            sawMarkup = true;
        }
    }
    QVERIFY(sawMarkup);
    for (QLabel *label : view.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QVERIFY(view.actionsFileText().endsWith(QStringLiteral("deck.json")));

    HostMenuView window(&coordinator, true);
    QVERIFY(window.quitButton());
    QSignalSpy quit(&window, &HostMenuView::quitRequested);
    window.quitButton()->click();
    QCOMPARE(quit.size(), 1);
    QVERIFY(!coordinator.running());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    HostMenuViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HostMenuViewTest.moc"

#include "../ClientTestSupport.h"
#include "../DBusSandboxReentry.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"
#include "QuorvelClientUI/Views/Editor/LocalHostEditor.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Quorvel;
using namespace Quorvel::ClientTest;

namespace {

Control echoButton()
{
    Control control;
    control.id = QStringLiteral("hello");
    control.title = QStringLiteral("Hello");
    control.type = ControlType::button;
    control.action =
        Action{Action::Kind::shell, QStringLiteral("echo hi"), std::nullopt, std::nullopt, {}};
    return control;
}

// This computer's host in this process, serving a deck file of its own, with editing from other
// devices turned off.
class LocalHost {
public:
    explicit LocalHost(const Deck &deck) : m_deckPath(m_dir.filePath(QStringLiteral("deck.json")))
    {
        QDir(HostTokenStore::folderPath()).removeRecursively();
        QFile::remove(HostSettings::filePath());
        qputenv("QUORVEL_DECK", QFile::encodeName(m_deckPath));
        const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
        QSaveFile file(m_deckPath);
        m_written =
            bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) > 0 && file.commit();
        m_coordinator = std::make_unique<HostCoordinator>();
        m_coordinator->start();
    }
    ~LocalHost()
    {
        m_coordinator->stop();
        qunsetenv("QUORVEL_DECK");
    }

    bool written() const { return m_written; }
    HostCoordinator &coordinator() { return *m_coordinator; }
    std::optional<Deck> deckOnDisk() const
    {
        QFile file(m_deckPath);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return WireCodec::decoder().decode<Deck>(file.readAll());
    }

private:
    QTemporaryDir m_dir;
    QString m_deckPath;
    bool m_written = false;
    std::unique_ptr<HostCoordinator> m_coordinator;
};

} // namespace

// The editor of this computer's own deck against the real host: it connects over 127.0.0.1 with
// the editor key, so it may try and save while editing from other devices is off.
class LocalEditorRealHostTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void triesAndSavesThroughLoopback()
    {
        LocalHost host(Deck{QStringLiteral("Desk"), {echoButton()}});
        QVERIFY(host.written());
        HostCoordinator &coordinator = host.coordinator();
        QVERIFY(!coordinator.allowDeckEditing());
        LocalHostEditor editor(KeychainTokenStore(KeychainTokenStore::localEditorService),
                               fastTimings());
        // Not listening yet: nothing opens, and the reason is the listener's.
        if (!coordinator.port()) {
            bool shown = false;
            QVERIFY(!editor.open(coordinator, [&shown] { shown = true; }));
            QVERIFY(!shown);
            QCOMPARE(LocalHostEditor::unavailableReason(coordinator),
                     std::optional(coordinator.listenerStatus()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(coordinator.port().has_value(), answerLimitMs);
        QCOMPARE(LocalHostEditor::unavailableReason(coordinator), std::optional<QString>());

        std::unique_ptr<DeckEditorWindow> window;
        QSignalSpy saved(&editor, &LocalHostEditor::codeSaved);
        QVERIFY(editor.open(coordinator, [&] {
            window = std::make_unique<DeckEditorWindow>(editor.model(), LocalHostEditor::windowID,
                                                        LocalHostEditor::windowTitle());
            window->present();
        }));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Edit This Computer's Actions"));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, answerLimitMs);
        QVERIFY(saved.first().at(0).toBool());
        QTRY_VERIFY_WITH_TIMEOUT(editor.model().isConnected(), answerLimitMs);
        DeckEditorView *view = window->view();
        QTRY_COMPARE_WITH_TIMEOUT(view->cards().size(), 1, answerLimitMs);
        QTRY_VERIFY_WITH_TIMEOUT(window->editorModel()->client().canEditDeck(), answerLimitMs);

        ControlCard *card = view->cards().first();
        QVERIFY(card->tryButton()->isEnabled());
        QSignalSpy tried(card, &ControlCard::tried);
        QTest::mouseClick(card->tryButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(tried.count(), 1, answerLimitMs);
        QCOMPARE(card->tryResult()->kind(), ClientTestOutcome::Kind::action);
        QVERIFY(card->tryResult()->ok());
        QCOMPARE(card->tryResult()->text().trimmed(), QStringLiteral("hi"));
        QCOMPARE(card->findChild<TestResultLabel *>()->text().trimmed(), QStringLiteral("hi"));

        // A second open neither makes a second connection nor waits for one.
        QVERIFY(editor.open(coordinator, {}));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 2, answerLimitMs);
        QVERIFY(editor.model().isConnected());

        window->editorModel()->setDeckName(QStringLiteral("Desk at home"));
        QVERIFY(view->saveButton()->isEnabled());
        QTest::mouseClick(view->saveButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window->editorModel()->saveMessage().has_value(), answerLimitMs);
        QVERIFY(window->editorModel()->saveMessage()->ok);
        QTRY_COMPARE_WITH_TIMEOUT(host.deckOnDisk()->deckName, QStringLiteral("Desk at home"),
                                  answerLimitMs);
        window.reset();
        editor.model().stop();
    }

    // A keyring that answers after the store's time-out (a busy desktop, a keyring still
    // starting) still saves the code: the editor waits for that answer instead of taking the
    // save for failed.
    void aKeyringSlowerThanTheTimeOutIsWaitedFor()
    {
        LocalHost host(Deck{QStringLiteral("Desk"), {echoButton()}});
        QVERIFY(host.written());
        HostCoordinator &coordinator = host.coordinator();
        QTRY_VERIFY_WITH_TIMEOUT(coordinator.port().has_value(), answerLimitMs);
        // No keyring answers before a time-out of zero has run out.
        LocalHostEditor editor(KeychainTokenStore(KeychainTokenStore::localEditorService,
                                                  std::chrono::milliseconds(0)),
                               fastTimings());
        QSignalSpy saved(&editor, &LocalHostEditor::codeSaved);
        QTest::ignoreMessage(QtInfoMsg, "Keychain save waits for the keyring in local");

        QVERIFY(editor.open(coordinator, {}));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, answerLimitMs);
        QVERIFY(saved.first().at(0).toBool());
        std::optional<std::optional<PairingToken>> stored;
        QObject context;
        KeychainTokenStore(KeychainTokenStore::localEditorService)
            .read(coordinator.hostID(), &context,
                  [&stored](std::optional<PairingToken> code) { stored = code; });
        QTRY_VERIFY_WITH_TIMEOUT(stored.has_value(), answerLimitMs);
        QCOMPARE(*stored, std::optional(coordinator.pairingToken()));
        editor.model().stop();
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QApplication app(argc, argv);
    LocalEditorRealHostTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "LocalEditorRealHostTest.moc"

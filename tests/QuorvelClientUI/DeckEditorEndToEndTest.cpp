// The deck editor against a real host in a process of its own, serving a deck file: what a save
// leaves in the file, the file changing underneath the editor, and the host turning editing off.

#include "DBusSandboxReentry.h"
#include "EditorFixture.h"
#include "RunnerHost.h"
#include "RunnerSession.h"

#include <QCoreApplication>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::EditorTest;

namespace {

constexpr int hostLimitMs = RunnerHost::limitMs;

} // namespace

class DeckEditorEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void aSaveWritesTheDraftWithOneHistoryCopy()
    {
        RunnerHost runner(threeActions());
        RunnerSession session;
        QVERIFY(session.open(runner));
        session.retitle(0, "Desk Lamp");
        session.editor.moveItem(session.editor.items().at(0).id, +1);
        session.editor.setDeckName("Studio 2");
        const Deck draft = session.editor.draftDeck();
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(session.editor.saveMessage()->ok);
        QCOMPARE(runner.readDeck(), std::optional(draft));
        QCOMPARE(runner.historyCopies(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(session.model.deck(), std::optional(draft), hostLimitMs);
        QCOMPARE(session.editor.unsavedChangeCount(), 0);
        QVERIFY(!session.editor.hostChangedWhileEditing());
    }

    void anOutsideWriteWhileEditingIsAChoice()
    {
        RunnerHost runner(threeActions());
        RunnerSession session;
        QVERIFY(session.open(runner));

        // Load Theirs takes the file as it is now.
        session.retitle(0, "Desk Lamp");
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        QVERIFY(runner.writeDeck(theirs));
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.hostChangedWhileEditing(), hostLimitMs);
        QVERIFY(!session.editor.canSave());
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        session.editor.reloadFromHost();
        QCOMPARE(session.editor.draftDeck(), theirs);
        QCOMPARE(session.editor.draftDeck(), runner.readDeck());

        // Keep Mine, then Save: the file holds ours.
        session.retitle(0, "Reading Lamp");
        QVERIFY(runner.writeDeck(withTitle(theirs, 2, "Heat")));
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.hostChangedWhileEditing(), hostLimitMs);
        session.editor.keepMine();
        QVERIFY(session.editor.canSave());
        const Deck ours = session.editor.draftDeck();
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(session.editor.saveMessage()->ok);
        QCOMPARE(runner.readDeck(), std::optional(ours));
    }

    void editingTurnedOffBeforeTheSaveShowsTheRefusal()
    {
        RunnerHost runner(threeActions());
        RunnerSession session;
        QVERIFY(session.open(runner));
        session.retitle(0, "Desk Lamp");
        runner.turnEditingOff();
        QVERIFY(session.editor.canSave());
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(!session.editor.saveMessage()->ok);
        QVERIFY(session.editor.saveMessage()->text.contains("allowRemoteDeckEditing=true"));
        QCOMPARE(runner.readDeck(), std::optional(threeActions()));
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        QTRY_VERIFY_WITH_TIMEOUT(!session.model.canEditDeck(), hostLimitMs);
        QVERIFY(!session.editor.canSave());
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    DeckEditorEndToEndTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "DeckEditorEndToEndTest.moc"

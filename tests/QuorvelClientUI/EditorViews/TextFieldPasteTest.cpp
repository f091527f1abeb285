// Pasting into every multi-line field of the editor on a real X server (scripts/sandbox-x11.sh):
// the offscreen platform's clipboard never hands out the empty source that X11 does.

#include "../EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/MetricSourcePopover.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>

#include <memory>

using namespace Quorvel;
using namespace EditorTest;

namespace {

enum class Place { actionCommand, addActionCommand, readoutSource, jsonEditor };
enum class Gesture { ctrlV, middleClick };

const QString typed = QStringLiteral("echo hi");

// A value that a popover edits, as the card's working copy would hold it.
template<typename T> struct Held {
    T value;
    EditBinding<T> binding()
    {
        return {[this] { return value; }, [this](const T &next) { value = next; }};
    }
};

// One of the editor's views, shown, with the multi-line field that it holds.
struct Shown {
    Held<Action> action{EditorTest::action(Action::Kind::shell, QString())};
    Held<StatusCheck> check{EditorTest::check(StatusCheck::Kind::shellOutput, QString())};
    std::unique_ptr<QWidget> view;
    QPlainTextEdit *field = nullptr;

    Shown(Place place, DeckEditorClient &client)
    {
        switch (place) {
        case Place::actionCommand: {
            auto *popover = new ActionPopover("Pressing it…", action.binding(), client);
            view.reset(popover);
            field = popover->editor()->findChild<QPlainTextEdit *>("code");
            break;
        }
        case Place::addActionCommand: {
            auto *sheet =
                new AddActionSheet(client, {}, std::nullopt, AddActionFlow::Intent::command, {});
            view.reset(sheet);
            field = sheet->stepView()->findChild<QPlainTextEdit *>("command");
            break;
        }
        case Place::readoutSource: {
            auto *popover = new MetricSourcePopover(check.binding(), client);
            view.reset(popover);
            field = popover->findChild<QPlainTextEdit *>("command");
            break;
        }
        case Place::jsonEditor: {
            auto *editor = new JSONEditor("Edit the Deck as JSON");
            view.reset(editor);
            field = editor->findChild<QPlainTextEdit *>();
            break;
        }
        }
        view->show();
    }
};

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Gesture)

class TextFieldPasteTest : public QObject {
    Q_OBJECT

private:
    ScriptedEditorClient m_client;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), "xcb");
        IconTheme::setUp();
        m_client.connectTo("Studio", Deck{"Deck", {}});
        m_client.setCatalog(studioCatalog());
    }

    void pasteKeepsTheTextAndTheProgram_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("expected");
        const QList<std::pair<Place, const char *>> places{
            {Place::actionCommand, "action's command"},
            {Place::addActionCommand, "add-action sheet's command"},
            {Place::readoutSource, "readout's command"},
            {Place::jsonEditor, "JSON editor"}};
        for (const auto &[place, name] : places) {
            // Nothing copied since the X server started, or the copying program has quit.
            QTest::addRow("%s, Ctrl+V, empty clipboard", name)
                << place << Gesture::ctrlV << QString() << typed;
            QTest::addRow("%s, middle click, empty selection", name)
                << place << Gesture::middleClick << QString() << typed;
            QTest::addRow("%s, Ctrl+V, copied text", name)
                << place << Gesture::ctrlV << "; date" << typed + "; date";
            QTest::addRow("%s, middle click, selected text", name)
                << place << Gesture::middleClick << "; date" << typed + "; date";
        }
    }

    void pasteKeepsTheTextAndTheProgram()
    {
        QFETCH(Place, place);
        QFETCH(Gesture, gesture);
        QFETCH(QString, copied);
        const QClipboard::Mode mode =
            gesture == Gesture::ctrlV ? QClipboard::Clipboard : QClipboard::Selection;
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (copied.isEmpty()) {
            clipboard->clear(mode);
            // X11 hands out a source even for an empty clipboard: the case that ended the program.
            QTRY_VERIFY(clipboard->mimeData(mode) &&
                        clipboard->mimeData(mode)->formats().isEmpty());
        } else {
            clipboard->setText(copied, mode);
            QTRY_COMPARE(clipboard->text(mode), copied);
        }

        Shown shown(place, m_client);
        QVERIFY(shown.field);
        QVERIFY(QTest::qWaitForWindowExposed(shown.view.get()));
        shown.field->setFocus();
        QTest::keyClicks(shown.field, typed);
        QCOMPARE(shown.field->toPlainText(), typed);
        if (gesture == Gesture::ctrlV) {
            QTest::keyClick(shown.field, Qt::Key_V, Qt::ControlModifier);
        } else {
            // Below the one line of text: the cursor goes to its end.
            QWidget *viewport = shown.field->viewport();
            QTest::mouseClick(viewport, Qt::MiddleButton, Qt::NoModifier,
                              QPoint(viewport->width() - 2, viewport->height() - 2));
        }
        QTEST(shown.field->toPlainText(), "expected");
    }
};

QTEST_MAIN(TextFieldPasteTest)
#include "TextFieldPasteTest.moc"

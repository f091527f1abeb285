// Pasting and dropping several lines into every one-line field of the editor on a real X server
// (scripts/sandbox-x11.sh), where Ctrl+V, Shift+Insert, the context menu, a middle click and a
// drop each reach the field by their own path.

#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/AdvancedSection.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckTitleButton.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/IconPicker.h"
#include "QuorvelClientUI/Views/Editor/RenamePopover.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "Widgets/IconTheme.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <memory>

using namespace Quorvel;
using namespace ::EditorTest;
using Quorvel::EditorTest::threeActions;

namespace {

enum class Place {
    deckTitle,
    rename,
    addActionName,
    actionID,
    scriptPath,
    addActionScriptPath,
    checkCommand,
    search
};
enum class Gesture { ctrlV, shiftInsert, contextMenu, middleClick, drop };

template<typename T> struct Held {
    T value;
    EditBinding<T> binding()
    {
        return {[this] { return value; }, [this](const T &next) { value = next; }};
    }
};

// One of the editor's views, shown, with the one-line field that it holds.
struct Shown {
    ScriptedEditorClient &client;
    FixedLiveStates live{true};
    std::unique_ptr<DeckEditorModel> model;
    Held<Action> action{::EditorTest::action(Action::Kind::script, QString())};
    Held<StatusCheck> check{::EditorTest::check(StatusCheck::Kind::shellExitCode, QString())};
    std::unique_ptr<QWidget> view;
    QLineEdit *field = nullptr;

    Shown(Place place, ScriptedEditorClient &scripted) : client(scripted)
    {
        switch (place) {
        case Place::deckTitle: {
            model = std::make_unique<DeckEditorModel>(client);
            auto *editor = new DeckEditorView(*model, live);
            view.reset(editor);
            editor->show();
            QTest::mouseClick(editor->titleButton(), Qt::LeftButton);
            field = editor->titleField();
            break;
        }
        case Place::rename: {
            auto *popover = new RenamePopover(QStringLiteral("Say Hello"), QString());
            view.reset(popover);
            field = popover->nameField();
            break;
        }
        case Place::addActionName: {
            auto *sheet =
                new AddActionSheet(client, {}, std::nullopt, AddActionFlow::Intent::command, {});
            view.reset(sheet);
            sheet->flow().setCommand(QStringLiteral("echo hi"));
            sheet->flow().continueToReview();
            field = sheet->stepView()->findChild<QLineEdit *>(QStringLiteral("name"));
            break;
        }
        case Place::addActionScriptPath: {
            auto *sheet =
                new AddActionSheet(client, {}, std::nullopt, AddActionFlow::Intent::command, {});
            view.reset(sheet);
            sheet->flow().setCommandKind(Action::Kind::script);
            field = sheet->stepView()->findChild<QLineEdit *>(QStringLiteral("command"));
            break;
        }
        case Place::actionID: {
            auto *section = new AdvancedSection;
            view.reset(section);
            field = section->idField();
            break;
        }
        case Place::scriptPath: {
            auto *popover = new ActionPopover("Pressing it…", action.binding(), client);
            view.reset(popover);
            field = popover->editor()->findChild<QLineEdit *>(QStringLiteral("code"));
            break;
        }
        case Place::checkCommand: {
            auto *popover = new StatusPopover(check.binding(), client);
            view.reset(popover);
            field = popover->findChild<QLineEdit *>(QStringLiteral("command"));
            break;
        }
        case Place::search: {
            auto *picker = new IconPicker(QString());
            view.reset(picker);
            field = picker->searchField();
            break;
        }
        }
        view->show();
    }
};

void perform(Gesture gesture, QLineEdit *field, const QString &copied)
{
    switch (gesture) {
    case Gesture::ctrlV:
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        break;
    case Gesture::shiftInsert:
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        break;
    case Gesture::contextMenu: {
        QContextMenuEvent event(QContextMenuEvent::Mouse, field->rect().center(),
                                field->mapToGlobal(field->rect().center()));
        QApplication::sendEvent(field, &event);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *paste = nullptr;
        for (QAction *item : menu->actions())
            paste = item->text().contains(QStringLiteral("Paste")) ? item : paste;
        QVERIFY(paste);
        paste->trigger();
        menu->close();
        break;
    }
    case Gesture::middleClick:
        QTest::mouseClick(field, Qt::MiddleButton, Qt::NoModifier,
                          QPoint(field->width() - 2, field->height() / 2));
        break;
    case Gesture::drop: {
        QMimeData dropped;
        dropped.setText(copied);
        // A drop reaches the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(field->width() - 2, field->height() / 2), Qt::CopyAction,
                              &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(field->width() - 2, field->height() / 2.0), Qt::CopyAction,
                         &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &event);
        QVERIFY(event.isAccepted());
        break;
    }
    }
}

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Gesture)

class LineFieldPasteTest : public QObject {
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

    void severalLinesComeInOnOneLine_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("expected");
        const QList<std::pair<Place, const char *>> places{
            {Place::deckTitle, "deck title"},
            {Place::rename, "action's name"},
            {Place::addActionName, "add-action sheet's name"},
            {Place::actionID, "action id"},
            {Place::scriptPath, "script path"},
            {Place::addActionScriptPath, "add-action sheet's script path"},
            {Place::checkCommand, "status check's command"},
            {Place::search, "icon search"}};
        const QList<std::pair<Gesture, const char *>> gestures{
            {Gesture::ctrlV, "Ctrl+V"},
            {Gesture::shiftInsert, "Shift+Insert"},
            {Gesture::contextMenu, "context menu"},
            {Gesture::middleClick, "middle click"},
            {Gesture::drop, "drop"}};
        for (const auto &[place, placeName] : places) {
            for (const auto &[gesture, gestureName] : gestures) {
                QTest::addRow("%s, %s, line feed", placeName, gestureName)
                    << place << gesture << "Studio\nControls"
                    << "Studio Controls";
                QTest::addRow("%s, %s, every kind of break", placeName, gestureName)
                    << place << gesture << QStringLiteral("a\r\nb\rc\vd\fe\u0085f\u2028g\u2029h")
                    << "a b c d e f g h";
                QTest::addRow("%s, %s, a line copied from a terminal", placeName, gestureName)
                    << place << gesture << "/path/to/script\n"
                    << "/path/to/script";
                QTest::addRow("%s, %s, breaks at both ends", placeName, gestureName)
                    << place << gesture << QStringLiteral("\r\n\u2029 Studio \nControls\r\n\n")
                    << " Studio  Controls";
                QTest::addRow("%s, %s, NUL", placeName, gestureName)
                    << place << gesture << QStringLiteral("a%1b\n").arg(QChar(0)) << "ab";
            }
        }
    }

    void severalLinesComeInOnOneLine()
    {
        QFETCH(Place, place);
        QFETCH(Gesture, gesture);
        QFETCH(QString, copied);
        const QClipboard::Mode mode =
            gesture == Gesture::middleClick ? QClipboard::Selection : QClipboard::Clipboard;
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(copied, mode);
        QTRY_COMPARE(clipboard->text(mode), copied);

        Shown shown(place, m_client);
        QVERIFY(shown.field);
        QVERIFY(QTest::qWaitForWindowExposed(shown.view.get()));
        QVERIFY(shown.field->isVisible());
        shown.field->setFocus();
        shown.field->clear();
        perform(gesture, shown.field, copied);
        QTEST(shown.field->text(), "expected");
        if (shown.model)
            QTEST(shown.model->deckName(), "expected");
    }

    // A file dropped on a script's path gives the file's path; a drop of several files or of an
    // address elsewhere is turned away, so the field keeps what it held. Other fields take the
    // text the drag offers.
    void aDroppedFileGivesItsPath_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("expected");
        const QUrl script = QUrl::fromLocalFile(QStringLiteral("/home/me/bin/back up.sh"));
        const QUrl other = QUrl::fromLocalFile(QStringLiteral("/home/me/bin/other.sh"));
        const QUrl web(QStringLiteral("https://example.com/backup.sh"));
        const QList<std::pair<Place, const char *>> places{
            {Place::scriptPath, "script path"},
            {Place::addActionScriptPath, "add-action sheet's script path"}};
        for (const auto &[place, placeName] : places) {
            QTest::addRow("%s, one file", placeName)
                << place << QList<QUrl>{script} << true << "kept/home/me/bin/back up.sh";
            QTest::addRow("%s, two files", placeName)
                << place << QList<QUrl>{script, other} << false << "kept";
            QTest::addRow("%s, an address elsewhere", placeName)
                << place << QList<QUrl>{web} << false << "kept";
        }
        QTest::newRow("action's name, one file")
            << Place::rename << QList<QUrl>{script} << true << "kept" + script.toString();
    }

    void aDroppedFileGivesItsPath()
    {
        QFETCH(Place, place);
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        Shown shown(place, m_client);
        QVERIFY(QTest::qWaitForWindowExposed(shown.view.get()));
        shown.field->setText(QStringLiteral("kept"));
        // As a file manager offers files: their addresses, also as text.
        QMimeData dragged;
        dragged.setUrls(urls);
        dragged.setText(QUrl::toStringList(urls).join(u'\n'));
        // After the text, which a drop puts its text at.
        const QPoint at(shown.field->width() - 2, shown.field->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shown.field, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDragMoveEvent move(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shown.field, &move);
        QCOMPARE(move.isAccepted(), accepted);
        QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shown.field, &drop);
        QCOMPARE(drop.isAccepted(), accepted);
        QTEST(shown.field->text(), "expected");
        if (place == Place::scriptPath && accepted)
            QTEST(shown.action.value.target, "expected");
    }

    // The title as the user sees it after a paste is the title the host is sent; a title that
    // holds a break from a hand-edited deck file is shown on one line and, typed at, sent back
    // with its break.
    void theDeckTitleIsSavedAsTheUserMeantIt_data()
    {
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("saved");
        QTest::newRow("typed at its end") << false << "Studio\nat night!";
        QTest::newRow("pasted over") << true << "Studio Controls";
    }

    void theDeckTitleIsSavedAsTheUserMeantIt()
    {
        QFETCH(bool, paste);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("Studio\nControls"));
        QTRY_COMPARE(clipboard->text(), QStringLiteral("Studio\nControls"));
        ScriptedEditorClient client;
        client.connectTo("Studio", threeActions(QStringLiteral("Studio\nat night")));
        client.setUpdateAnswer(QStringList());
        FixedLiveStates live(true);
        DeckEditorModel model(client);
        DeckEditorView view(model, live);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.titleButton()->shownTitle(), QStringLiteral("Studio at night"));

        QTest::mouseClick(view.titleButton(), Qt::LeftButton);
        QLineEdit *field = view.titleField();
        if (paste) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClick(field, Qt::Key_End);
            QTest::keyClicks(field, QStringLiteral("!"));
        }
        QTest::keyClick(field, Qt::Key_Return);
        QTEST(model.deckName(), "saved");
        QVERIFY(view.saveButton()->isEnabled());
        QTest::mouseClick(view.saveButton(), Qt::LeftButton);
        QTRY_COMPARE(client.sentDecks().size(), size_t(1));
        QTEST(client.sentDecks().back().deckName, "saved");
    }

    // A paste of megabytes neither hangs the field nor keeps a break: it stops at the field's
    // length, all on one line.
    void aHugePasteComesInOnOneLine()
    {
        const QString line = QStringLiteral("Studio Controls\n");
        constexpr qsizetype fiveMegabytes = 5 * 1024 * 1024;
        const QString huge = line.repeated(fiveMegabytes / line.size());
        QGuiApplication::clipboard()->setText(huge);
        QTRY_COMPARE(QGuiApplication::clipboard()->text().size(), huge.size());
        Shown shown(Place::deckTitle, m_client);
        QVERIFY(QTest::qWaitForWindowExposed(shown.view.get()));
        shown.field->setFocus();
        shown.field->clear();
        QTest::keyClick(shown.field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shown.field->text().size(), shown.field->maxLength());
        QVERIFY(!shown.field->text().contains(u'\n'));
        QVERIFY(shown.field->text().startsWith(QStringLiteral("Studio Controls Studio Controls ")));
        QCOMPARE(shown.model->deckName(), shown.field->text());
    }
};

QTEST_MAIN(LineFieldPasteTest)
#include "LineFieldPasteTest.moc"

// What the editor shows for outside text that would mislead as it is: titles with line breaks,
// commands of several lines and commands that hide characters; and the failed save's mark.

#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AddActionProgressHeader.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckTitleButton.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/HiddenTextNote.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace Quorvel;
using namespace ::EditorTest;
using Quorvel::EditorTest::threeActions;

namespace {

const QString overridden = QStringLiteral("echo \u202Elive\u202C");
const QString overrideShown = QStringLiteral("echo <U+202E>live<U+202C>");

struct Editor {
    explicit Editor(const Deck &deck) : live(true), model(client), view(model, live)
    {
        client.connectTo(QStringLiteral("Studio"), deck);
        view.resize(800, 600);
        view.show();
    }
    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

Control sayButton(const QString &title, const QString &command)
{
    Control say = control(QStringLiteral("say"), title, ControlType::button);
    say.action = action(Action::Kind::shell, command);
    return say;
}

template<typename T> struct Held {
    T value;
    EditBinding<T> binding()
    {
        return {[this] { return value; }, [this](const T &next) { value = next; }};
    }
};

} // namespace

class ShownTextViewsTest : public QObject {
    Q_OBJECT

private:
    ScriptedEditorClient m_client;

private slots:
    void initTestCase()
    {
        IconTheme::setUp();
        m_client.connectTo("Studio", Deck{"Deck", {}});
    }

    // A hand-edited deck file's title and action name with line breaks: one line each, cut with
    // "…" where there is no room.
    void titlesWithBreaksShowOnOneLine_data()
    {
        QTest::addColumn<QString>("deckTitle");
        QTest::addColumn<QString>("actionTitle");
        QTest::addColumn<QString>("shownDeckTitle");
        QTest::addColumn<QString>("shownActionTitle");
        QTest::newRow("line feed") << "Studio\nControls"
                                   << "Say\nHello"
                                   << "Studio Controls"
                                   << "Say Hello";
        QTest::newRow("carriage return and line feed") << "Studio\r\nControls"
                                                       << "Say\r\nHello"
                                                       << "Studio Controls"
                                                       << "Say Hello";
        QTest::newRow("separators") << QStringLiteral("Studio\u2028Controls")
                                    << QStringLiteral("Say\u2029Hello") << "Studio Controls"
                                    << "Say Hello";
        QTest::newRow("escape and override in the deck's title")
            << QStringLiteral("\u001B[31mStudio\u202Eslortnoc") << "Say Hello"
            << "<U+001B>[31mStudio<U+202E>slortnoc"
            << "Say Hello";
    }

    void titlesWithBreaksShowOnOneLine()
    {
        QFETCH(QString, deckTitle);
        QFETCH(QString, actionTitle);
        Deck deck = threeActions(deckTitle);
        deck.controls.insert(deck.controls.begin(), sayButton(actionTitle, QStringLiteral("true")));
        Editor editor(deck);
        QVERIFY(QTest::qWaitForWindowExposed(&editor.view));
        DeckTitleButton *title = editor.view.titleButton();
        QTEST(title->shownTitle(), "shownDeckTitle");
        QCOMPARE(title->title(), deckTitle);
        ControlCard *card = editor.view.cards().first();
        auto *cardTitle = card->findChild<ElidedLabel *>(QStringLiteral("title"));
        QVERIFY(cardTitle);
        QTEST(cardTitle->shownText(), "shownActionTitle");

        // Narrow: cut on its one line.
        cardTitle->resize(cardTitle->fontMetrics().horizontalAdvance(QStringLiteral("Say H")),
                          cardTitle->height());
        QVERIFY(cardTitle->shownText().endsWith(QChar(0x2026)));
        QVERIFY(!cardTitle->shownText().contains(u'\n'));
    }

    // The add-action sheet's second step label keeps to one line: the first line of a command
    // and "…" when lines are left out.
    void theCrumbShowsTheFirstLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("crumb");
        QTest::newRow("one line") << "echo hi"
                                  << "echo hi";
        QTest::newRow("two lines") << "echo a\necho b"
                                   << "echo a…";
        QTest::newRow("carriage return and line feed") << "echo a\r\necho b"
                                                       << "echo a…";
        QTest::newRow("hidden characters") << overridden << overrideShown;
    }

    void theCrumbShowsTheFirstLine()
    {
        QFETCH(QString, command);
        AddActionSheet sheet(m_client, {}, std::nullopt, AddActionFlow::Intent::command, {});
        sheet.flow().setCommand(command);
        sheet.flow().continueToReview();
        sheet.resize(sheet.sizeHint().expandedTo(QSize(900, 600)));
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QTEST(sheet.header()->label(1)->text(), "crumb");
        QTEST(sheet.header()->label(1)->shownText(), "crumb");
    }

    // A command that hides a direction override reads as it runs wherever it is shown: on the
    // card's chip, in the review's description, under its field.
    void hiddenCharactersShowWhereACommandShows()
    {
        Deck deck = threeActions();
        deck.controls.insert(deck.controls.begin(), sayButton(QStringLiteral("Say"), overridden));
        Editor editor(deck);
        QVERIFY(QTest::qWaitForWindowExposed(&editor.view));
        QStringList chips;
        for (const Chip *chip : editor.view.cards().first()->chips())
            chips.append(chip->label());
        QVERIFY2(chips.contains(QStringLiteral("runs the command ") + overrideShown),
                 qPrintable(chips.join(u'|')));
        // What is saved and run is not touched.
        QCOMPARE(editor.model.items().first().control.action->target, overridden);

        AddActionSheet sheet(m_client, {}, std::nullopt, AddActionFlow::Intent::command, {});
        sheet.flow().setCommand(overridden);
        sheet.flow().continueToReview();
        sheet.show();
        auto *description =
            sheet.stepView()->findChild<PlainLabel *>(QStringLiteral("description"));
        QVERIFY(description);
        QVERIFY2(description->text().contains(overrideShown), qPrintable(description->text()));
        QCOMPARE(sheet.flow().draft()->action->target, overridden);
    }

    void theFieldsNoteSaysHowTheCommandRuns_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("note");
        QTest::newRow("nothing hidden") << "echo evil" << QString();
        QTest::newRow("override") << overridden
                                  << "Holds characters that don't show. It runs as: " +
                                         overrideShown;
        QTest::newRow("zero-width space") << QStringLiteral("r\u200Bm x")
                                          << "Holds characters that don't show. It runs as: "
                                             "r<U+200B>m x";
    }

    void theFieldsNoteSaysHowTheCommandRuns()
    {
        QFETCH(QString, command);
        QFETCH(QString, note);
        Held<Action> held{action(Action::Kind::shell, command)};
        ActionPopover popover(QStringLiteral("Pressing it…"), held.binding(), m_client);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        auto *shown = popover.findChild<HiddenTextNote *>();
        QVERIFY(shown);
        QCOMPARE(shown->isVisible(), !note.isEmpty());
        QCOMPARE(shown->text(), note);
        // Typed away, the note goes.
        auto *field = popover.findChild<QPlainTextEdit *>(QStringLiteral("code"));
        QVERIFY(field);
        field->setPlainText(QStringLiteral("echo evil"));
        QVERIFY(!shown->isVisible());
        QCOMPARE(held.value.target, QStringLiteral("echo evil"));
    }

    // A failed save's mark is the red octagon with its x cut out, on a light and a dark window.
    void aFailedSaveShowsTheRedOctagon_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void aFailedSaveShowsTheRedOctagon()
    {
        QFETCH(bool, dark);
        const QPalette before = QApplication::palette();
        QPalette palette = before;
        palette.setColor(QPalette::Window,
                         dark ? QColor(0x20, 0x20, 0x20) : QColor(0xef, 0xef, 0xef));
        palette.setColor(QPalette::WindowText, dark ? QColor(0xf0, 0xf0, 0xf0) : QColor(Qt::black));
        QApplication::setPalette(palette);
        Editor editor(threeActions());
        editor.model.setDeckName(QStringLiteral("Studio at night"));
        editor.client.setUpdateAnswer(QStringList{QStringLiteral("\"lamp\": title is empty")});
        editor.model.save();
        QTRY_VERIFY(editor.model.saveMessage().has_value());
        auto *message = editor.view.findChild<SymbolLabel *>(QStringLiteral("saveMessage"));
        QVERIFY(message);
        QCOMPARE(message->symbol(), QStringLiteral("xmark.octagon.fill"));
        QImage mark;
        for (const QLabel *label : message->findChildren<QLabel *>()) {
            if (label->accessibleName() == message->symbol())
                mark = label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        }
        QApplication::setPalette(before);
        QVERIFY(!mark.isNull());
        const QColor red = statusColor(StatusTone::red, palette);
        int inked = 0;
        int opaque = 0;
        int redInk = 0;
        for (int y = 0; y < mark.height(); ++y) {
            for (int x = 0; x < mark.width(); ++x) {
                const QRgb pixel = mark.pixel(x, y);
                inked += qAlpha(pixel) >= 128 ? 1 : 0;
                if (qAlpha(pixel) < 255)
                    continue;
                ++opaque;
                redInk += qAbs(qRed(pixel) - red.red()) <= 24 &&
                                  qAbs(qGreen(pixel) - red.green()) <= 24 &&
                                  qAbs(qBlue(pixel) - red.blue()) <= 24
                              ? 1
                              : 0;
            }
        }
        QVERIFY2(inked > mark.width() * mark.height() / 3 && opaque > 0 && redInk == opaque,
                 qPrintable(QStringLiteral("%1 of %2 opaque pixels red, %3 inked")
                                .arg(redInk)
                                .arg(opaque)
                                .arg(inked)));
        const int side = mark.width();
        // An octagon: its corners are empty, the middles of its sides inked; the x's crossing at
        // the centre is cut out.
        QCOMPARE(qAlpha(mark.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(mark.pixel(side - 1, side - 1)), 0);
        QVERIFY(qAlpha(mark.pixel(side / 2, 1)) > 128);
        QVERIFY(qAlpha(mark.pixel(1, side / 2)) > 128);
        QVERIFY(qAlpha(mark.pixel(side / 2, side / 2)) < 128);
    }
};

QTEST_MAIN(ShownTextViewsTest)
#include "ShownTextViewsTest.moc"

#include "Widgets/ElidedField.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Quorvel;

namespace {

const QString ellipsis = QStringLiteral("…");

QString lines(int count)
{
    QStringList all;
    for (int line = 1; line <= count; ++line)
        all << QStringLiteral("line %1").arg(line);
    return all.join(u'\n');
}

} // namespace

// Labels and fields that show outside text as it is: a line limit that shows whole lines and says
// when text is left out, and a one-line field that shortens its text but copies it whole.
class PlainTextWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void limitedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLines");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << "iPad, iPhone" << 2 << "iPad, iPhone";
        QTest::newRow("as many lines as allowed") << lines(3) << 3 << lines(3);
        QTest::newRow("ten lines, three shown") << lines(10) << 3 << lines(3) + ellipsis;
        QTest::newRow("an empty line after the last shown")
            << "one\n\nthree" << 1 << "one" + ellipsis;
    }

    void limitedText()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLines);
        QFETCH(QString, shown);
        const QFont font;
        const int wide = QFontMetrics(font).horizontalAdvance(text) + 100;
        QCOMPARE(PlainLabel::limitedText(text, font, wide, maxLines), shown);
    }

    // Wrapped at a width: whole lines that fit, the last ending in "…", and nothing changed but
    // the cut.
    void limitedTextWrapped_data()
    {
        QTest::addColumn<int>("maxLines");
        QTest::newRow("two lines") << 2;
        QTest::newRow("three lines") << 3;
    }

    void limitedTextWrapped()
    {
        QFETCH(int, maxLines);
        const QFont font;
        const QFontMetrics metrics(font);
        const QString names = QStringLiteral("Mac mini, iPad, iPhone, Studio Display, Living Room, "
                                             "Kitchen, Office, Garage, Attic, Cellar");
        const int width = metrics.horizontalAdvance(QStringLiteral("Studio Display, Living"));
        const QString shown = PlainLabel::limitedText(names, font, width, maxLines);
        const QStringList shownLines = shown.split(u'\n');
        QCOMPARE(shownLines.size(), maxLines);
        QVERIFY(shown.endsWith(ellipsis));
        for (const QString &line : shownLines)
            QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
        QString kept = shownLines.join(u' ');
        kept.chop(ellipsis.size());
        QVERIFY2(names.startsWith(kept), qPrintable(kept));
    }

    // A label with a limit keeps its whole text and shows only whole lines at its width.
    void labelShowsWholeLines()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *label = new PlainLabel(lines(10), TextStyle::caption, StatusTone::secondary);
        label->setWrapping(3);
        layout->addWidget(label);
        layout->addStretch(1);
        window.resize(300, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(label->text(), lines(10));
        QTRY_COMPARE(label->shownText(), lines(3) + ellipsis);
        QVERIFY(label->height() < 4 * label->fontMetrics().lineSpacing());

        label->setText(QStringLiteral("exit 1"));
        QCOMPARE(label->shownText(), QStringLiteral("exit 1"));
    }

    // Shortened in the middle while it has no focus; whole, for selecting and copying, while it
    // has.
    void fieldCopiesTheWholeText()
    {
        const QString path = QStringLiteral("/home/someone/.local/share/Quorvel/a folder with a "
                                            "long name/another long folder name/deck.json");
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *field =
            new ElidedField(path, TextStyle::body, StatusTone::secondary, Qt::ElideMiddle);
        auto *other = new ElidedField(QStringLiteral("x"), TextStyle::body, StatusTone::none,
                                      Qt::ElideMiddle);
        layout->addWidget(field);
        layout->addWidget(other);
        window.resize(200, 80);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QVERIFY(field->isReadOnly());
        QVERIFY(field->shownText().contains(ellipsis));
        QVERIFY(field->shownText().startsWith(QStringLiteral("/home")));
        QVERIFY(field->shownText().endsWith(QStringLiteral("deck.json")));

        QTest::mouseClick(field, Qt::LeftButton);
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(field->shownText(), path);
        field->selectAll();
        QCOMPARE(field->selectedText(), path);

        other->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(!field->hasFocus());
        QVERIFY(field->shownText().contains(ellipsis));
        QCOMPARE(field->fullText(), path);
    }

    // The multi-line field gives back what it was given, character for character, also after an
    // edit somewhere else in it. Its document stores several of these as other characters.
    void textFieldKeepsWhatItWasGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no-break space") << QStringLiteral("Say\u00A0Hello");
        QTest::newRow("line separator") << QStringLiteral("'ls\u2028x'");
        QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b");
        QTest::newRow("carriage return and line feed") << QStringLiteral("echo a\r\necho b\r\n");
        QTest::newRow("lone carriage return") << QStringLiteral("a\rb");
        QTest::newRow("line feeds") << QStringLiteral("\na\n\nb\n");
        QTest::newRow("every break in a row")
            << QStringLiteral("\r\n\r\u2028\u2029\n\n\r\r\n\u2029");
        QTest::newRow("frame marks") << QStringLiteral("a\uFDD0b\uFDD1c");
        QTest::newRow("NUL") << QStringLiteral("a%1b").arg(QChar(0));
        QTest::newRow("object replacement") << QStringLiteral("a\uFFFCb");
        QTest::newRow("direction override") << QStringLiteral("A\u202Eevil\u202CB");
        QTest::newRow("zero-width and byte order mark") << QStringLiteral("r\u200Bm\uFEFF");
        QTest::newRow("tab, escape, vertical tab") << QStringLiteral("\ta\u001B[0m\vb\f");
        QTest::newRow("beyond the first plane") << QStringLiteral("\U0001F600 \U000E0041");
        QTest::newRow("empty") << QString();
    }

    void textFieldKeepsWhatItWasGiven()
    {
        QFETCH(QString, text);
        PlainTextField field(text);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        QCOMPARE(field.text(), text);

        field.setText(QStringLiteral("replaced"));
        field.setText(text);
        QCOMPARE(field.text(), text);

        field.moveCursor(QTextCursor::Start);
        QTest::keyClicks(&field, QStringLiteral("x"));
        QCOMPARE(field.text(), QStringLiteral("x") + text);
        field.moveCursor(QTextCursor::End);
        QTest::keyClicks(&field, QStringLiteral("y"));
        QCOMPARE(field.text(), QStringLiteral("x") + text + QStringLiteral("y"));
        QTest::keyClick(&field, Qt::Key_Backspace);
        field.moveCursor(QTextCursor::Start);
        QTest::keyClick(&field, Qt::Key_Delete);
        QCOMPARE(field.text(), text);
    }

    // Line breaks the field makes itself (Return, Shift+Return, a paste) are line feeds; those it
    // was given stay as they were, also where an edit takes one away and an undo brings it back.
    void textFieldWritesItsOwnBreaksAsLineFeeds()
    {
        PlainTextField field(QStringLiteral("a\r\nb\u2028c"));
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        field.moveCursor(QTextCursor::Start);
        field.moveCursor(QTextCursor::Right);
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(field.text(), QStringLiteral("a\n\r\nb\u2028c"));
        field.moveCursor(QTextCursor::End);
        QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
        field.insertPlainText(QStringLiteral("d\r\ne\u2029f\u2028g\u00A0h"));
        QCOMPARE(field.text(), QStringLiteral("a\n\r\nb\u2028c\nd\ne\nf\ng\u00A0h"));

        field.setText(QStringLiteral("a\r\nb"));
        field.moveCursor(QTextCursor::End);
        QTest::keyClick(&field, Qt::Key_Home);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QStringLiteral("ab"));
        field.undo();
        QCOMPARE(field.text(), QStringLiteral("a\r\nb"));

        // Qt's own setter reads as Qt sets it: nothing of an earlier text is left behind.
        field.setPlainText(QStringLiteral("a\nb"));
        QCOMPARE(field.text(), QStringLiteral("a\nb"));
    }

    // Tab and Shift+Tab leave the multi-line field for its neighbours as they leave any other
    // field; the Tab key never types a tab into it, with Ctrl held either (wherever the focus
    // goes then). A tab that was there stays.
    void tabLeavesTheTextField_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("reached");
        QTest::newRow("tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "after";
        QTest::newRow("shift+tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "before";
        QTest::newRow("shift+tab as a tab")
            << int(Qt::Key_Tab) << int(Qt::ShiftModifier) << "before";
        QTest::newRow("ctrl+tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << QString();
        QTest::newRow("ctrl+shift+tab")
            << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << QString();
    }

    void tabLeavesTheTextField()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, reached);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *before = new QLineEdit(&window);
        before->setObjectName(QStringLiteral("before"));
        const QString text = QStringLiteral("\tsay hi");
        auto *field = new PlainTextField(text, &window);
        field->setObjectName(QStringLiteral("field"));
        auto *after = new QLineEdit(&window);
        after->setObjectName(QStringLiteral("after"));
        layout->addWidget(before);
        layout->addWidget(field);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus(Qt::OtherFocusReason);
        field->moveCursor(QTextCursor::Start);
        QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(field->text(), text);
        if (reached.isEmpty())
            return;
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), reached);
    }
};

QTEST_MAIN(PlainTextWidgetsTest)
#include "PlainTextWidgetsTest.moc"

#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"
#include "Widgets/TextStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(Quorvel::StatusTone)
Q_DECLARE_METATYPE(Quorvel::TextStyle)

// Text styles against the system font, and tones that follow each other on one label.
class TextStyleTest : public QObject {
    Q_OBJECT
private slots:
    void sizesFollowTheSystemFont_data();
    void sizesFollowTheSystemFont();
    void aToneReplacesTheOneBefore_data();
    void aToneReplacesTheOneBefore();
};

void TextStyleTest::sizesFollowTheSystemFont_data()
{
    QTest::addColumn<TextStyle>("style");
    // The size in points beside a 13-point system font.
    QTest::addColumn<qreal>("points");
    QTest::newRow("body") << TextStyle::body << 13.0;
    QTest::newRow("large") << TextStyle::large << 15.0;
    QTest::newRow("title") << TextStyle::title << 16.25;
    QTest::newRow("caption") << TextStyle::caption << 11.05;
}

void TextStyleTest::sizesFollowTheSystemFont()
{
    QFETCH(TextStyle, style);
    QFETCH(qreal, points);
    QWidget widget;
    applyTextStyle(&widget, style);
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QVERIFY(system.pointSizeF() > 0);
    QVERIFY(qAbs(widget.font().pointSizeF() - system.pointSizeF() * points / 13.0) < 0.01);
}

void TextStyleTest::aToneReplacesTheOneBefore_data()
{
    QTest::addColumn<StatusTone>("before");
    QTest::addColumn<StatusTone>("after");
    QTest::newRow("red, then secondary") << StatusTone::red << StatusTone::secondary;
    QTest::newRow("green, then tertiary") << StatusTone::green << StatusTone::tertiary;
    QTest::newRow("red, then none") << StatusTone::red << StatusTone::none;
    QTest::newRow("secondary, then secondary") << StatusTone::secondary << StatusTone::secondary;
    QTest::newRow("orange, then green") << StatusTone::orange << StatusTone::green;
}

// A result line that showed a failure in red and then shows a value in the secondary colour
// must show the window's text faded, not the red faded.
void TextStyleTest::aToneReplacesTheOneBefore()
{
    QFETCH(StatusTone, before);
    QFETCH(StatusTone, after);
    QWidget window;
    for (QWidget *parent : {static_cast<QWidget *>(nullptr), &window}) {
        PlainLabel label(QStringLiteral("71G"), TextStyle::caption, before, parent);
        applyTone(&label, after);
        const QPalette inherited = parent ? parent->palette() : QApplication::palette(&label);
        QCOMPARE(label.palette().color(QPalette::WindowText), statusColor(after, inherited));
    }
}

QTEST_MAIN(TextStyleTest)
#include "TextStyleTest.moc"

#include "Widgets/ReadablePalette.h"
#include "QuorvelCore/Mark/ColourContrast.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainTextField.h"

#include <QApplication>
#include <QStyle>
#include <QTest>

#include <memory>

using namespace Quorvel;

namespace {

// Breeze Dark's colours over the style's own palette, as a desktop's dark scheme that names no
// placeholder colour leaves it: the placeholder is still the light palette's.
QPalette darkScheme()
{
    QPalette palette = QApplication::style()->standardPalette();
    const QColor text(0xfc, 0xfc, 0xfc);
    palette.setColor(QPalette::Window, QColor(0x20, 0x23, 0x26));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
    palette.setColor(QPalette::Text, text);
    return palette;
}

// A colour as it shows over the field: a placeholder is often the text at half opacity.
QColor over(const QColor &colour, const QColor &under)
{
    const qreal alpha = colour.alphaF();
    return QColor::fromRgbF(float(colour.redF() * alpha + under.redF() * (1 - alpha)),
                            float(colour.greenF() * alpha + under.greenF() * (1 - alpha)),
                            float(colour.blueF() * alpha + under.blueF() * (1 - alpha)));
}

} // namespace

// Placeholders stay readable under whatever palette the desktop gives, for every field of the
// program: one rule kept on the application's palette.
class ReadablePaletteTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void placeholdersStandApartFromTheirField_data();
    void placeholdersStandApartFromTheirField();

private:
    QPalette m_before;
};

void ReadablePaletteTest::initTestCase()
{
    m_before = QApplication::palette();
    ReadablePalette::install();
}

void ReadablePaletteTest::cleanupTestCase()
{
    QApplication::setPalette(m_before);
}

void ReadablePaletteTest::placeholdersStandApartFromTheirField_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("kept");
    const QPalette light = QApplication::style()->standardPalette();
    QTest::newRow("light") << light << true;
    QTest::newRow("dark, no placeholder named") << darkScheme() << false;
    QPalette black = darkScheme();
    black.setColor(QPalette::PlaceholderText, Qt::black);
    QTest::newRow("dark, black placeholder") << black << false;
    QPalette pale = light;
    pale.setColor(QPalette::PlaceholderText, QColor(0xe0, 0xe0, 0xe0));
    QTest::newRow("light, pale placeholder") << pale << false;
    QPalette readable = darkScheme();
    readable.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa0, 0xa0));
    QTest::newRow("dark, readable placeholder") << readable << true;
    // Back to light after dark: the rule follows each change.
    QTest::newRow("light again") << light << true;
}

void ReadablePaletteTest::placeholdersStandApartFromTheirField()
{
    QFETCH(QPalette, palette);
    QFETCH(bool, kept);
    QApplication::setPalette(palette);
    const QList<std::shared_ptr<QWidget>> fields{std::make_shared<LineField>(),
                                                 std::make_shared<PlainTextField>()};
    for (const std::shared_ptr<QWidget> &field : fields) {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QPalette shown = field->palette();
            const QColor base = shown.color(group, QPalette::Base);
            const QColor placeholder = shown.color(group, QPalette::PlaceholderText);
            const qreal ratio = ColourContrast::ratio(over(placeholder, base), base);
            QVERIFY2(ratio >= ReadablePalette::placeholderContrast,
                     qPrintable(QStringLiteral("%1 on %2: %3")
                                    .arg(placeholder.name(QColor::HexArgb), base.name())
                                    .arg(ratio)));
            // Still a placeholder: fainter than what is typed.
            QVERIFY(ratio < ColourContrast::ratio(shown.color(group, QPalette::Text), base));
            if (kept)
                QCOMPARE(placeholder, palette.color(group, QPalette::PlaceholderText));
        }
    }
}

QTEST_MAIN(ReadablePaletteTest)
#include "ReadablePaletteTest.moc"

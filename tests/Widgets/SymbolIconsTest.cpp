#include "Widgets/SymbolIcons.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"

#include <QApplication>
#include <QTest>

using namespace Quorvel;

class SymbolIconsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void mapsSymbolsToThemeNames_data();
    void mapsSymbolsToThemeNames();
    void everyKnownSymbolDraws_data();
    void everyKnownSymbolDraws();
    void statusColoursHaveADarkVariant_data();
    void statusColoursHaveADarkVariant();
    void plainLabelShowsMarkupAsText();
};

void SymbolIconsTest::initTestCase()
{
    IconTheme::setUp();
    QCOMPARE(QIcon::fallbackThemeName(), QStringLiteral("breeze"));
    QVERIFY(!QIcon::themeName().isEmpty());
}

void SymbolIconsTest::mapsSymbolsToThemeNames_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("name");
    QTest::newRow("record") << "record.circle"
                            << "media-record";
    QTest::newRow("speaker") << "speaker.wave.2"
                             << "audio-volume-high";
    QTest::newRow("computer") << "desktopcomputer"
                              << "computer";
    QTest::newRow("warning") << "exclamationmark.triangle"
                             << "dialog-warning";
    QTest::newRow("unknown") << "no.such.symbol"
                             << "application-x-executable";
    QTest::newRow("empty") << ""
                           << "application-x-executable";
}

void SymbolIconsTest::mapsSymbolsToThemeNames()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    QCOMPARE(SymbolIcons::themeName(symbol), name);
    QVERIFY(!SymbolIcons::icon(symbol).isNull());
}

void SymbolIconsTest::everyKnownSymbolDraws_data()
{
    QTest::addColumn<QString>("symbol");
    for (const char *symbol : {"circle",
                               "key",
                               "key.fill",
                               "rectangle.grid.2x2",
                               "wifi",
                               "wifi.slash",
                               "wifi.exclamationmark",
                               "network",
                               "checkmark.circle",
                               "checkmark.circle.fill",
                               "exclamationmark.triangle.fill",
                               "desktopcomputer",
                               "record.circle",
                               "speaker.wave.2",
                               "play.fill",
                               "hourglass",
                               "sun.max",
                               "lamp.desk",
                               "thermometer.medium",
                               "power.circle"})
        QTest::newRow(symbol) << QString::fromLatin1(symbol);
}

// A table entry whose theme name the installed theme lacks would draw the generic icon in
// silence: each entry must name an icon that exists.
void SymbolIconsTest::everyKnownSymbolDraws()
{
    QFETCH(QString, symbol);
    QVERIFY(SymbolIcons::knows(symbol));
    QVERIFY2(QIcon::hasThemeIcon(SymbolIcons::themeName(symbol)),
             qPrintable(SymbolIcons::themeName(symbol)));
    QCOMPARE(SymbolIcons::pixmap(symbol, 16).size(), QSize(16, 16));
}

void SymbolIconsTest::statusColoursHaveADarkVariant_data()
{
    QTest::addColumn<StatusTone>("tone");
    QTest::newRow("green") << StatusTone::green;
    QTest::newRow("orange") << StatusTone::orange;
    QTest::newRow("red") << StatusTone::red;
    QTest::newRow("purple") << StatusTone::purple;
    QTest::newRow("blue") << StatusTone::blue;
}

void SymbolIconsTest::statusColoursHaveADarkVariant()
{
    QFETCH(StatusTone, tone);
    QPalette light;
    light.setColor(QPalette::Window, Qt::white);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    QVERIFY(!isDarkPalette(light));
    QVERIFY(isDarkPalette(dark));
    // On a dark window the colour is lighter, so it stays readable.
    QVERIFY(statusColor(tone, dark).lightness() > statusColor(tone, light).lightness());
}

void SymbolIconsTest::plainLabelShowsMarkupAsText()
{
    PlainLabel label(QStringLiteral("<b>Lamp</b>"), TextStyle::body);
    QCOMPARE(label.textFormat(), Qt::PlainText);
    QCOMPARE(label.text(), QStringLiteral("<b>Lamp</b>"));
}

QTEST_MAIN(SymbolIconsTest)
#include "SymbolIconsTest.moc"

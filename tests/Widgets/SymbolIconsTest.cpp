#include "Widgets/SymbolIcons.h"
#include "QuorvelClientUI/Editor/AddActionFlow.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"
#include "QuorvelClientUI/Views/Editor/IconCatalog.h"
#include "QuorvelCore/Model/Deck.h"
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
    void everyOfferedOrWrittenSymbolHasItsOwnIcon_data();
    void everyOfferedOrWrittenSymbolHasItsOwnIcon();
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

void SymbolIconsTest::everyOfferedOrWrittenSymbolHasItsOwnIcon_data()
{
    QTest::addColumn<QString>("symbol");
    QStringList symbols = IconCatalog::symbols();
    using Intent = AddActionFlow::Intent;
    for (Intent intent :
         {Intent::appSwitch, Intent::appControl, Intent::shortcut, Intent::command, Intent::value})
        symbols.append(AddActionFlow::symbol(intent));
    for (const ValuePreset &preset :
         {ValuePreset::freeDisk(), ValuePreset::uptime(), ValuePreset::load()})
        symbols.append(preset.symbol());
    for (const Control &control : Deck::sample().controls)
        symbols.append(control.icon.value_or(QString()));
    // Written by the views, the app-control picker, the action makers and the gallery's decks.
    for (const char *symbol : {"circle",
                               "rectangle.grid.2x2",
                               "square.grid.2x2",
                               "key",
                               "lock.fill",
                               "desktopcomputer",
                               "wifi.exclamationmark",
                               "exclamationmark.triangle.fill",
                               "xmark.octagon.fill",
                               "checkmark.circle",
                               "arrow.triangle.2.circlepath",
                               "ellipsis",
                               "ellipsis.circle",
                               "pencil",
                               "plus",
                               "magnifyingglass",
                               "sparkles",
                               "switch.2",
                               "hand.tap",
                               "waveform",
                               "questionmark.circle",
                               "hourglass",
                               "dot.radiowaves.left.and.right",
                               "film",
                               "internaldrive",
                               "fan"})
        symbols.append(QString::fromLatin1(symbol));
    symbols.removeDuplicates();
    for (const QString &symbol : std::as_const(symbols))
        QTest::newRow(qPrintable(symbol)) << symbol;
}

// A symbol the table lacks, or whose icon the theme lacks, would draw as the generic icon and
// look like any other unknown action.
void SymbolIconsTest::everyOfferedOrWrittenSymbolHasItsOwnIcon()
{
    QFETCH(QString, symbol);
    QVERIFY(SymbolIcons::knows(symbol));
    const QString name = SymbolIcons::themeName(symbol);
    QVERIFY(name != QLatin1String(SymbolIcons::genericIconName));
    const QIcon icon = SymbolIcons::icon(symbol);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.name(), name);
    QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(name));
}

void SymbolIconsTest::statusColoursHaveADarkVariant_data()
{
    QTest::addColumn<StatusTone>("tone");
    QTest::newRow("green") << StatusTone::green;
    QTest::newRow("orange") << StatusTone::orange;
    QTest::newRow("red") << StatusTone::red;
    QTest::newRow("purple") << StatusTone::purple;
    QTest::newRow("blue") << StatusTone::blue;
    QTest::newRow("yellow") << StatusTone::yellow;
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

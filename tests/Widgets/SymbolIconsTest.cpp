#include "Widgets/SymbolIcons.h"
#include "QuorvelClientUI/Editor/AddActionFlow.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"
#include "QuorvelClientUI/Views/Editor/IconCatalog.h"
#include "QuorvelCore/Model/Deck.h"
#include "Widgets/DrawnSymbols.h"
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
    void symbolsShowWhatTheyName_data();
    void symbolsShowWhatTheyName();
    void drawnSymbolsTakeThePalettesInk();
    void circledSymbolsShowTheirCircle_data();
    void circledSymbolsShowTheirCircle();
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
    if (!DrawnSymbols::draws(symbol))
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
    QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(name));
    if (name.isEmpty()) {
        QVERIFY(DrawnSymbols::draws(symbol));
        const QImage drawn = icon.pixmap(24, 24).toImage();
        int inked = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                inked += qAlpha(drawn.pixel(x, y)) > 128 ? 1 : 0;
        }
        // A recognisable picture, neither empty nor a filled square.
        QVERIFY2(inked > 24 && inked < 24 * 24 / 2, qPrintable(QString::number(inked)));
    } else {
        QCOMPARE(icon.name(), name);
    }
}

// Each picture was chosen by looking at it: the theme's icon where it shows the thing the symbol
// names, a drawing where the theme has none (empty name). A near miss (an information sign for a
// light bulb, a thermometer for a fan) reads as something else on a deck.
void SymbolIconsTest::symbolsShowWhatTheyName_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("name");
    const QList<std::pair<const char *, const char *>> chosen{
        {"lightbulb", ""},
        {"fan", ""},
        {"key", ""},
        {"lamp.desk", ""},
        {"bolt.circle", ""},
        {"hammer", ""},
        {"gearshape", ""},
        {"wrench.and.screwdriver", ""},
        {"memorychip", ""},
        {"switch.2", ""},
        {"dial.medium", ""},
        {"exclamationmark.triangle", ""},
        {"exclamationmark.triangle.fill", ""},
        {"xmark.octagon.fill", ""},
        {"info.circle", ""},
        {"checkmark.circle", ""},
        {"checkmark.circle.fill", ""},
        {"heart", "love"},
        {"video", "camera-video"},
        {"hand.tap", "input-touchscreen"},
        {"music.note", "music-note-16th"},
        {"music.note.list", "view-media-playlist"},
        {"antenna.radiowaves.left.and.right", "network-wireless-hotspot"},
        {"thermometer.medium", "temperature-normal"},
        {"slider.horizontal.3", "games-config-options"},
    };
    for (const auto &[symbol, name] : chosen)
        QTest::newRow(symbol) << QString::fromLatin1(symbol) << QString::fromLatin1(name);
}

void SymbolIconsTest::symbolsShowWhatTheyName()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    QCOMPARE(SymbolIcons::themeName(symbol), name);
    QCOMPARE(DrawnSymbols::draws(symbol), name.isEmpty());
}

// A drawn symbol is inked in the text colour, so it stays visible on a dark palette.
void SymbolIconsTest::drawnSymbolsTakeThePalettesInk()
{
    const QPalette before = QGuiApplication::palette();
    for (const QColor ink : {QColor(Qt::black), QColor(Qt::white)}) {
        QPalette palette = before;
        palette.setColor(QPalette::WindowText, ink);
        QGuiApplication::setPalette(palette);
        const QImage drawn = SymbolIcons::icon(QStringLiteral("fan"))
                                 .pixmap(24, 24)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        // The hub, where the blades meet, is solid ink.
        QCOMPARE(QColor::fromRgba(drawn.pixel(12, 12)), ink);
    }
    QGuiApplication::setPalette(before);
}

void SymbolIconsTest::circledSymbolsShowTheirCircle_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QList<QPoint>>("inked");
    QTest::addColumn<QList<QPoint>>("clear");
    // Points of the 24 by 24 picture: the circle's top, what the circle holds, the room between.
    QTest::newRow("info") << "info.circle" << QList<QPoint>{{12, 2}, {12, 14}, {12, 7}}
                          << QList<QPoint>{{7, 12}, {17, 12}, {12, 12 - 10 + 3}};
    QTest::newRow("check") << "checkmark.circle" << QList<QPoint>{{12, 2}, {10, 15}}
                           << QList<QPoint>{{12, 5}, {6, 17}};
    // Filled, with the check cut out so that a tint leaves it readable.
    QTest::newRow("filled check") << "checkmark.circle.fill" << QList<QPoint>{{12, 3}, {12, 20}}
                                  << QList<QPoint>{{10, 15}, {0, 0}};
}

// A symbol in a circle shows the circle, and the theme's picture for it (a speech bubble, a
// bare check mark) does not.
void SymbolIconsTest::circledSymbolsShowTheirCircle()
{
    QFETCH(QString, symbol);
    QFETCH(QList<QPoint>, inked);
    QFETCH(QList<QPoint>, clear);
    QVERIFY(DrawnSymbols::draws(symbol));
    const QImage drawn =
        SymbolIcons::icon(symbol).pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QPoint &point : std::as_const(inked))
        QVERIFY2(qAlpha(drawn.pixel(point)) > 128,
                 qPrintable(QStringLiteral("%1,%2 is clear").arg(point.x()).arg(point.y())));
    for (const QPoint &point : std::as_const(clear))
        QVERIFY2(qAlpha(drawn.pixel(point)) < 128,
                 qPrintable(QStringLiteral("%1,%2 is inked").arg(point.x()).arg(point.y())));
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

#include "QuorvelCore/Mark/QuorvelMark.h"
#include "QuorvelCore/Mark/ColourContrast.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include <cmath>

using namespace Quorvel;

class QuorvelMarkTest : public QObject {
    Q_OBJECT
private slots:
    void fitsTheTighterSide_data();
    void fitsTheTighterSide();
    void drawsNothingWithoutAPainter();
    void imageFillsTheInsetSquare_data();
    void imageFillsTheInsetSquare();
    void dimmedMarkHasTheSameShapeAtReducedAlpha();
    void iconHasEveryTraySize();
    void trayMarkReadsOnLightAndDarkPanels_data();
    void trayMarkReadsOnLightAndDarkPanels();
};

void QuorvelMarkTest::fitsTheTighterSide_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<qreal>("scale");
    // An 18-pixel image's inset rectangle: limited by its 16-pixel height.
    QTest::newRow("inset 18") << QRectF(0.5, 1.0, 17.0, 16.0) << 16.0 / 57.2;
    QTest::newRow("wide") << QRectF(0, 0, 400, 57.2) << 1.0;
    QTest::newRow("tall") << QRectF(10, 20, 52.8, 500) << 1.0;
}

void QuorvelMarkTest::fitsTheTighterSide()
{
    QFETCH(QRectF, rect);
    QFETCH(qreal, scale);
    const QRectF fitted = QuorvelMark::path(rect).boundingRect();
    QVERIFY(qAbs(fitted.width() - 52.8 * scale) < 1e-6);
    QVERIFY(qAbs(fitted.height() - 57.2 * scale) < 1e-6);
    QVERIFY(qAbs(fitted.center().x() - rect.center().x()) < 1e-6);
    QVERIFY(qAbs(fitted.center().y() - rect.center().y()) < 1e-6);
    // The first corner is the top apex, at the middle of the width.
    const QPointF apex = QuorvelMark::path(rect).elementAt(0);
    QVERIFY(qAbs(apex.y() - fitted.top()) < 1e-6);
    QCOMPARE(QuorvelMark::path(rect).elementCount(), 10);
}

void QuorvelMarkTest::drawsNothingWithoutAPainter()
{
    QVERIFY(!QuorvelMark::draw(nullptr, QRectF(0, 0, 18, 18), false));
    QPainter idle;
    QVERIFY(!QuorvelMark::draw(&idle, QRectF(0, 0, 18, 18), false));
}

namespace {

// The smallest rectangle holding every pixel with some opacity.
QRect inkBounds(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

int maxAlpha(const QImage &image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            most = qMax(most, qAlpha(image.pixel(x, y)));
    }
    return most;
}

// The icon laid on a panel of one colour.
QImage onPanel(const QImage &icon, const QColor &panel)
{
    QImage result(icon.size(), QImage::Format_RGB32);
    result.fill(panel);
    QPainter painter(&result);
    painter.drawImage(0, 0, icon);
    painter.end();
    return result;
}

// The share of the icon's square that stands out from the panel as large text must (contrast
// ratio at least 3), and the mean contrast of the pixels the icon paints.
std::pair<qreal, qreal> legibility(const QImage &icon, const QColor &panel)
{
    const QImage shown = onPanel(icon, panel);
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    constexpr qreal legible = 3.0;
    int painted = 0;
    int standingOut = 0;
    qreal total = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) == 0)
                continue;
            ++painted;
            const qreal ratio = ColourContrast::ratio(QColor(shown.pixel(x, y)), panel);
            total += ratio;
            standingOut += ratio >= legible ? 1 : 0;
        }
    }
    return {qreal(standingOut) / (argb.width() * argb.height()), painted ? total / painted : 0};
}

// The share of the mark's own body, the pixels it covers wholly inside its outline, that stands out
// from the panel as large text must.
qreal bodyShown(const QImage &icon, const QColor &panel)
{
    const int side = icon.width();
    const qreal halo = side * QuorvelMark::haloShare;
    QImage body(icon.size(), QImage::Format_ARGB32_Premultiplied);
    body.fill(Qt::transparent);
    QPainter painter(&body);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(QuorvelMark::path(QRectF(0, 0, side, side).adjusted(halo, halo, -halo, -halo)),
                     Qt::black);
    painter.end();
    const QImage shown = onPanel(icon, panel);
    constexpr qreal legible = 3.0;
    int inside = 0;
    int standingOut = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (qAlpha(body.pixel(x, y)) < 255)
                continue;
            ++inside;
            standingOut += ColourContrast::ratio(QColor(shown.pixel(x, y)), panel) >= legible;
        }
    }
    return inside ? qreal(standingOut) / inside : 0;
}

// How far the eye sees the icon stand out from the panel: the mean difference in lightness (CIE
// L*, 0 for black to 100 for white, even steps to the eye) over the icon's whole square, so that a
// thin bright outline counts for its few pixels and a solid body for all of its own.
qreal standingOut(const QImage &icon, const QColor &panel)
{
    const auto lightness = [](const QColor &colour) {
        // The CIE curve: a cube root above this luminance, a straight line below it.
        constexpr qreal linearLimit = 216.0 / 24389.0;
        constexpr qreal linearSlope = 24389.0 / 27.0;
        const qreal luminance = ColourContrast::luminance(colour);
        return luminance > linearLimit ? 116 * std::cbrt(luminance) - 16 : linearSlope * luminance;
    };
    const QImage shown = onPanel(icon, panel);
    const qreal panelLightness = lightness(panel);
    qreal total = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            total += std::abs(lightness(QColor(shown.pixel(x, y))) - panelLightness);
    }
    return total / (shown.width() * shown.height());
}

// The mean contrast between two pictures of the same icon on one panel, over the pixels either
// paints: how different they look there.
qreal difference(const QImage &one, const QImage &other, const QColor &panel)
{
    const QImage oneShown = onPanel(one, panel);
    const QImage otherShown = onPanel(other, panel);
    int painted = 0;
    qreal total = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            if (qAlpha(one.pixel(x, y)) == 0 && qAlpha(other.pixel(x, y)) == 0)
                continue;
            ++painted;
            total +=
                ColourContrast::ratio(QColor(oneShown.pixel(x, y)), QColor(otherShown.pixel(x, y)));
        }
    }
    return painted ? total / painted : 0;
}

} // namespace

void QuorvelMarkTest::imageFillsTheInsetSquare_data()
{
    QTest::addColumn<int>("side");
    for (const int side : QuorvelMark::iconSizes)
        QTest::newRow(qPrintable(QString::number(side))) << side;
}

void QuorvelMarkTest::imageFillsTheInsetSquare()
{
    QFETCH(int, side);
    const QImage image = QuorvelMark::image(false, side);
    QCOMPARE(image.size(), QSize(side, side));
    const QRect ink = inkBounds(image);
    const QRectF expected =
        QuorvelMark::path(QRectF(0.5, 1.0, side - 1.0, side - 2.0)).boundingRect();
    // Antialiasing may touch one pixel beyond the polygon; nothing else is painted.
    QVERIFY2(QRectF(ink).adjusted(1, 1, -1, -1).intersected(expected) ==
                 QRectF(ink).adjusted(1, 1, -1, -1),
             qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                            .arg(ink.x())
                            .arg(ink.y())
                            .arg(ink.width())
                            .arg(ink.height())));
    QVERIFY(ink.top() >= 1 && ink.bottom() <= side - 2);
    QVERIFY(qAbs(ink.height() - expected.height()) <= 2);
    QCOMPARE(maxAlpha(image), 255);
}

void QuorvelMarkTest::dimmedMarkHasTheSameShapeAtReducedAlpha()
{
    const int side = 48;
    const QImage active = QuorvelMark::image(false, side);
    const QImage dimmed = QuorvelMark::image(true, side);
    QCOMPARE(inkBounds(dimmed), inkBounds(active));
    QVERIFY(qAbs(maxAlpha(dimmed) - qRound(255 * QuorvelMark::dimmedAlpha)) <= 1);
    // A pixel well inside the left leg is fully covered in both.
    const QPointF inside =
        QuorvelMark::path(QRectF(0.5, 1.0, side - 1.0, side - 2.0)).boundingRect().bottomLeft() +
        QPointF(2.5, -2.5);
    QCOMPARE(qAlpha(active.pixel(inside.toPoint())), 255);
    QVERIFY(qAbs(qAlpha(dimmed.pixel(inside.toPoint())) - 115) <= 1);
}

void QuorvelMarkTest::iconHasEveryTraySize()
{
    const QIcon icon = QuorvelMark::icon(true);
    QList<QSize> sizes = icon.availableSizes();
    QCOMPARE(sizes.size(), int(std::size(QuorvelMark::iconSizes)));
    for (const int side : QuorvelMark::iconSizes)
        QVERIFY(sizes.contains(QSize(side, side)));
}

void QuorvelMarkTest::trayMarkReadsOnLightAndDarkPanels_data()
{
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<int>("side");
    // The palette's text colour: light themes (Fusion, Breeze) and dark ones.
    const QList<std::pair<const char *, QColor>> inks{{"black", Qt::black},
                                                      {"breeze", QColor(0x23, 0x26, 0x29)},
                                                      {"white", Qt::white},
                                                      {"breeze dark", QColor(0xfc, 0xfc, 0xfc)}};
    // The tray's own sizes, and one it scales to.
    QList<int> sides(std::begin(QuorvelMark::iconSizes), std::end(QuorvelMark::iconSizes));
    sides << 20;
    for (const auto &[name, ink] : inks) {
        for (const int side : std::as_const(sides))
            QTest::addRow("%s %d", name, side) << ink << side;
    }
}

// A panel may be light or dark whatever the desktop's palette (tint2's and GNOME's top bars are
// dark under light themes): the mark must stand out on both, active and dimmed alike, and the two
// states must still look different, the dimmed one the softer.
void QuorvelMarkTest::trayMarkReadsOnLightAndDarkPanels()
{
    QFETCH(QColor, ink);
    QFETCH(int, side);
    // Enough of the square to show the mark's shape: the plain mark covers about a quarter of it.
    constexpr qreal shapeShare = 0.15;
    // The dimmed mark shows as a shape on either panel, not as a thin outline around a body of
    // the panel's colour, which is faint beside a panel's clock: most of its body stands out.
    constexpr qreal dimmedBodyShown = 0.9;
    // Contrast between the two states' pictures, on average over the mark: visibly different.
    constexpr qreal statesApart = 1.5;
    // How much more the active mark stands out than the dimmed one, on every panel: clearly the
    // stronger, also where the ink is the panel's colour and only its outline shows.
    constexpr qreal activeStronger = 1.5;
    for (const QColor panel : {QColor(Qt::black), QColor(Qt::white)}) {
        const QImage active = QuorvelMark::icon(false, ink).pixmap(side).toImage();
        const QImage dimmed = QuorvelMark::icon(true, ink).pixmap(side).toImage();
        QCOMPARE(active.size(), QSize(side, side));
        const auto [activeShare, activeContrast] = legibility(active, panel);
        const auto [dimmedShare, dimmedContrast] = legibility(dimmed, panel);
        const qreal dimmedBody = bodyShown(dimmed, panel);
        const qreal apart = difference(active, dimmed, panel);
        const qreal activeStrength = standingOut(active, panel);
        const qreal dimmedStrength = standingOut(dimmed, panel);
        const QString seen = QStringLiteral("on %1: active %2 of the square (mean %3), dimmed %4 "
                                            "(%5, body %6 shown), apart %7, standing out: active "
                                            "%8, dimmed %9")
                                 .arg(panel.name())
                                 .arg(activeShare)
                                 .arg(activeContrast)
                                 .arg(dimmedShare)
                                 .arg(dimmedContrast)
                                 .arg(dimmedBody)
                                 .arg(apart)
                                 .arg(activeStrength)
                                 .arg(dimmedStrength);
        QVERIFY2(activeShare >= shapeShare, qPrintable(seen));
        QVERIFY2(dimmedShare >= shapeShare, qPrintable(seen));
        QVERIFY2(dimmedBody >= dimmedBodyShown, qPrintable(seen));
        QVERIFY2(dimmedContrast < activeContrast, qPrintable(seen));
        QVERIFY2(apart >= statesApart, qPrintable(seen));
        QVERIFY2(activeStrength >= activeStronger * dimmedStrength, qPrintable(seen));
    }
}

QTEST_MAIN(QuorvelMarkTest)
#include "QuorvelMarkTest.moc"

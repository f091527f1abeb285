#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

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

QTEST_MAIN(QuorvelMarkTest)
#include "QuorvelMarkTest.moc"

#include "Quorvel/Setup/ActivityRow.h"
#include "Quorvel/Setup/KeepAwakeSwitch.h"
#include "QuorvelClientUI/ClientConnectionStatus.h"
#include "QuorvelClientUI/Views/HostRow.h"
#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "QuorvelHostKit/Service/HostActivity.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/DeckEditingView.h"
#include "QuorvelHostKit/Views/HostViewRules.h"
#include "Widgets/IconTheme.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolLabel.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <functional>

using namespace Quorvel;

namespace {

using MakeView = std::function<QWidget *(HostCoordinator &)>;

// The picture a view shows under an accessible name.
QImage shownPicture(const QWidget &view, const QString &name)
{
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        if (label->accessibleName() == name)
            return label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    }
    return {};
}

// Ink's opacity from which a pixel counts as part of the picture.
constexpr int inked = 128;

// How far the colour of the ink may stray from the status colour (antialiased edges aside).
constexpr int colourTolerance = 24;

bool isInked(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) >= inked;
}

// The ink's width on one line of the picture, from its first inked pixel to its last.
int inkedSpan(const QImage &image, int y)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (isInked(image, x, y)) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

bool nearColour(QRgb pixel, const QColor &colour)
{
    return qAbs(qRed(pixel) - colour.red()) <= colourTolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= colourTolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= colourTolerance;
}

} // namespace

class WarningMarksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void warningsAreOrangeTriangles_data();
    void warningsAreOrangeTriangles();
};

void WarningMarksTest::initTestCase()
{
    IconTheme::setUp();
}

void WarningMarksTest::warningsAreOrangeTriangles_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("name");
    QTest::addColumn<MakeView>("make");
    const QString filled = QStringLiteral("exclamationmark.triangle.fill");
    const QList<std::tuple<const char *, QString, MakeView>> places{
        {"activity", HostActivity::outcomeName(HostActivity::Outcome::failed),
         [](HostCoordinator &) {
             return new ActivityRow(HostActivity::make(QStringLiteral("iPad"),
                                                       QStringLiteral("Record failed"),
                                                       HostActivity::Outcome::failed));
         }},
        {"keep awake", filled,
         [](HostCoordinator &host) {
             return new KeepAwakeSwitch(&host, QStringLiteral("Keep this computer awake"));
         }},
        {"editing view", filled, [](HostCoordinator &host) { return new DeckEditingView(&host); }},
        {"host rules", filled,
         [](HostCoordinator &) {
             const HostViewRules::NetworkLine line =
                 HostViewRules::networkLine(LocalNetworkMonitor::Status::blocked);
             return new SymbolLabel(line.symbol, line.text, TextStyle::caption, line.tone);
         }},
        {"remote host row", QStringLiteral("exclamationmark.triangle"),
         [](HostCoordinator &) {
             DiscoveredHost found;
             found.name = QStringLiteral("Studio");
             found.id = QStringLiteral("Studio._quorvel._tcp.local.");
             auto *row = new HostRow(found);
             row->setMark(RemoteViewRules::hostMark(
                 ClientConnectionStatus::failed(QStringLiteral("refused")), found));
             return row;
         }},
    };
    for (const bool dark : {false, true}) {
        for (const auto &[place, name, make] : places)
            QTest::addRow("%s, %s", place, dark ? "dark" : "light") << dark << name << make;
    }
}

// A warning is the orange triangle wherever it shows, on a light and a dark window: the theme's
// own sign (Breeze's small one is a dark speech bubble) looked like an information mark.
void WarningMarksTest::warningsAreOrangeTriangles()
{
    QFETCH(bool, dark);
    QFETCH(QString, name);
    QFETCH(MakeView, make);
    const QPalette before = QApplication::palette();
    QPalette palette = before;
    if (dark) {
        palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    } else {
        palette.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    QApplication::setPalette(palette);
    HostCoordinator host;
    const std::unique_ptr<QWidget> view(make(host));
    const QImage picture = shownPicture(*view, name);
    QApplication::setPalette(before);
    QVERIFY(!picture.isNull());
    const QColor orange = statusColor(StatusTone::orange, palette);

    // Its colour: the opaque ink is the status orange.
    int opaque = 0;
    int orangeInk = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) < 255)
                continue;
            ++opaque;
            orangeInk += nearColour(picture.pixel(x, y), orange) ? 1 : 0;
        }
    }
    QVERIFY2(opaque > 0 && orangeInk == opaque,
             qPrintable(QStringLiteral("%1 of %2 opaque pixels are %3")
                            .arg(orangeInk)
                            .arg(opaque)
                            .arg(orange.name())));

    // Its shape: a triangle standing on its base, narrow at the top, widest at the bottom, with
    // its top corners empty.
    int top = 0;
    while (top < picture.height() && inkedSpan(picture, top) == 0)
        ++top;
    int bottom = picture.height() - 1;
    while (bottom > top && inkedSpan(picture, bottom) == 0)
        --bottom;
    const int width = picture.width();
    QVERIFY2(bottom - top >= width / 2, qPrintable(QString::number(bottom - top)));
    QVERIFY2(inkedSpan(picture, top) <= width / 3, qPrintable(QString::number(top)));
    QVERIFY(inkedSpan(picture, bottom) >= width * 3 / 4);
    QVERIFY(inkedSpan(picture, top + (bottom - top) / 4) <
            inkedSpan(picture, top + (bottom - top) * 3 / 4));
    QVERIFY(!isInked(picture, 0, top) && !isInked(picture, width - 1, top));
    QVERIFY(isInked(picture, width / 2, top) || isInked(picture, (width - 1) / 2, top));
    // The exclamation mark shows: the middle column is not solid ink from apex to base.
    int gaps = 0;
    for (int y = top; y < bottom; ++y)
        gaps += isInked(picture, width / 2, y) != isInked(picture, width / 2, y + 1) ? 1 : 0;
    QVERIFY2(gaps >= 2, qPrintable(QString::number(gaps)));
}

QTEST_MAIN(WarningMarksTest)
#include "WarningMarksTest.moc"

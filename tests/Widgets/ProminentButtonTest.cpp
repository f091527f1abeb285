#include "Widgets/ProminentButton.h"

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QStyle>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace Quorvel;

namespace {

// The least contrast a focus mark needs against what it is drawn over to be seen (the WCAG
// figure for marks that are not text).
constexpr double visibleContrast = 3.0;

// A palette in Breeze's colours: its accent is a light blue lettered in white at only 2.4:1.
QPalette breezePalette(bool dark)
{
    QPalette palette;
    const QColor window = dark ? QColor(0x20, 0x23, 0x26) : QColor(0xef, 0xf0, 0xf1);
    const QColor text = dark ? QColor(0xfc, 0xfc, 0xfc) : QColor(0x23, 0x26, 0x29);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, dark ? QColor(0x14, 0x16, 0x18) : QColor(0xff, 0xff, 0xff));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, dark ? QColor(0x29, 0x2c, 0x30) : QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, dark ? QColor(0xfc, 0xfc, 0xfc) : Qt::white);
    return palette;
}

} // namespace

// An accent button shows that the keyboard is on it as clearly as any other button does, on a
// light and on a dark desktop.
class ProminentButtonTest : public QObject {
    Q_OBJECT

private slots:
    void keyboardFocusShows_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("the style's own") << QApplication::style()->standardPalette();
        QTest::newRow("Breeze light") << breezePalette(false);
        QTest::newRow("Breeze dark") << breezePalette(true);
    }

    void keyboardFocusShows()
    {
        QFETCH(QPalette, palette);
        QWidget window;
        window.setPalette(palette);
        auto *layout = new QHBoxLayout(&window);
        auto *before = new QPushButton("Cancel", &window);
        auto *prominent = new ProminentButton("Add Action", &window);
        layout->addWidget(before);
        layout->addWidget(prominent);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        before->setFocus();
        const QImage unfocused = prominent->grab().toImage();
        QTest::keyClick(&window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), prominent);
        const QImage focused = prominent->grab().toImage();
        QCOMPARE(focused.size(), unfocused.size());

        // The mark: pixels that the focus changed, and changed enough to be seen.
        int marked = 0;
        for (int y = 0; y < focused.height(); ++y) {
            for (int x = 0; x < focused.width(); ++x) {
                if (ColourContrast::ratio(QColor(focused.pixel(x, y)),
                                          QColor(unfocused.pixel(x, y))) >= visibleContrast)
                    ++marked;
            }
        }
        // At least half way round the button.
        const QSize size = prominent->size() * prominent->devicePixelRatio();
        QVERIFY2(marked >= size.width() + size.height(),
                 qPrintable(QStringLiteral("%1 pixels show the focus").arg(marked)));
    }
};

QTEST_MAIN(ProminentButtonTest)
#include "ProminentButtonTest.moc"

#include "Widgets/ProminentButton.h"

#include "FocusMark.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QStyle>
#include <QTest>

using namespace Quorvel;
using FocusMark::breezePalette;

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

        const int marked = FocusMark::markedPixels(focused, unfocused);
        QVERIFY2(FocusMark::isSeen(marked, prominent->size() * prominent->devicePixelRatio()),
                 qPrintable(QStringLiteral("%1 pixels show the focus").arg(marked)));
    }
};

QTEST_MAIN(ProminentButtonTest)
#include "ProminentButtonTest.moc"

#include "Widgets/FocusRing.h"
#include "Widgets/IconTheme.h"

#include "FocusWalk.h"
#include "ReadingOrder.h"
#include "WindowScenes.h"

#include <QApplication>
#include <QStyle>
#include <QTest>

using namespace WindowScenes;

// Whatever the keyboard is on shows it, in each of the program's own windows: every stop of the
// Tab chain of the set-up window's steps, the settings window's tabs, the menu (with its pairing
// view) and the alerts, on a light and on a dark desktop; and Tab goes through each of them in
// reading order.
class WindowFocusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        IconTheme::setUp();
        FocusRing::install();
    }
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    void everyTabStopShowsTheFocus_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("dark");
        for (const auto &[screen, recipe] : recipes()) {
            for (const bool dark : {false, true}) {
                QTest::addRow("%s, %s", qPrintable(screen), dark ? "dark" : "light")
                    << screen << dark;
            }
        }
    }

    void everyTabStopShowsTheFocus()
    {
        QFETCH(QString, screen);
        QFETCH(bool, dark);
        QApplication::setPalette(FocusMark::breezePalette(dark));
        Scene scene;
        QVERIFY(show(scene, screen));
        QWidget *window = scene.window.get();

        const QList<QWidget *> chain = FocusMark::tabChain(window);
        QVERIFY(chain.size() > 1);
        const QStringList holding = FocusMark::scrollViewStops(chain);
        QVERIFY2(holding.isEmpty(),
                 qPrintable(QStringLiteral("A stop of its own: ") + holding.join(", ")));
        const QStringList unseen = FocusMark::unseenStops(chain);
        QVERIFY2(unseen.isEmpty(),
                 qPrintable(QStringLiteral("Focus not seen on: ") + unseen.join(", ")));
    }

    // From the window itself, Tab goes through its controls in the order they are read: down,
    // and along each line from the left; Shift+Tab goes back up.
    void tabGoesInReadingOrder_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("backwards");
        for (const auto &[screen, recipe] : recipes()) {
            for (const bool backwards : {false, true}) {
                QTest::addRow("%s, %s", qPrintable(screen), backwards ? "shift+tab" : "tab")
                    << screen << backwards;
            }
        }
    }

    void tabGoesInReadingOrder()
    {
        QFETCH(QString, screen);
        QFETCH(bool, backwards);
        Scene scene;
        QVERIFY(show(scene, screen));
        const QStringList against = FocusMark::stepsAgainstReading(scene.window.get(), backwards);
        QVERIFY2(against.isEmpty(),
                 qPrintable(QStringLiteral("Against the reading order: ") + against.join(", ")));
    }
};

QTEST_MAIN(WindowFocusTest)
#include "WindowFocusTest.moc"

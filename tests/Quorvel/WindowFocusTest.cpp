#include "Widgets/FocusRing.h"
#include "Widgets/IconTheme.h"

#include "FocusWalk.h"
#include "WindowScenes.h"

#include <QApplication>
#include <QStyle>
#include <QTest>

using namespace WindowScenes;

// Whatever the keyboard is on shows it, in each of the program's own windows: every stop of the
// Tab chain of the set-up window's steps, the settings window's tabs, the menu (with its pairing
// view) and the alerts, on a light and on a dark desktop.
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
        const Recipe &recipe = recipes().at(screen);
        Scene scene;
        scene.start(recipe.remote, recipe.hosting);
        QVERIFY(scene.settle(recipe.meetHost, recipe.paired));
        recipe.make(scene);
        QWidget *window = scene.window.get();
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));

        const QList<QWidget *> chain = FocusMark::tabChain(window);
        QVERIFY(chain.size() > 1);
        const QStringList holding = FocusMark::scrollViewStops(chain);
        QVERIFY2(holding.isEmpty(),
                 qPrintable(QStringLiteral("A stop of its own: ") + holding.join(", ")));
        const QStringList unseen = FocusMark::unseenStops(chain);
        QVERIFY2(unseen.isEmpty(),
                 qPrintable(QStringLiteral("Focus not seen on: ") + unseen.join(", ")));
    }
};

QTEST_MAIN(WindowFocusTest)
#include "WindowFocusTest.moc"

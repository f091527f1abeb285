#include "Widgets/TabChain.h"

#include "FocusWalk.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace Quorvel;

namespace {

// A window as the program's windows are: a part above, its content made later, and a footer
// with two buttons, made first.
struct Window {
    QWidget window;
    QWidget *top = nullptr;
    QVBoxLayout *content = nullptr;

    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        top = new QWidget;
        auto *topLayout = new QVBoxLayout(top);
        topLayout->addWidget(named(new QLineEdit, "top field"));
        layout->addWidget(top);
        content = new QVBoxLayout;
        layout->addLayout(content);
        auto *footer = new QHBoxLayout;
        footer->addWidget(named(new QPushButton("Back"), "back"));
        footer->addStretch(1);
        footer->addWidget(named(new QPushButton("Continue"), "continue"));
        layout->addLayout(footer);
    }

    static QWidget *named(QWidget *widget, const char *name)
    {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }
};

// A part made with two buttons side by side.
QWidget *pair(const char *left, const char *right)
{
    auto *part = new QWidget;
    auto *layout = new QHBoxLayout(part);
    layout->addWidget(Window::named(new QPushButton(left), left));
    layout->addWidget(Window::named(new QPushButton(right), right));
    return part;
}

QStringList names(const QList<QWidget *> &chain)
{
    QStringList found;
    for (const QWidget *widget : chain)
        found.append(widget->objectName());
    return found;
}

} // namespace

// A window kept by the rule is gone through by Tab as its layouts show it, whatever comes into
// it later and wherever.
class TabChainTest : public QObject {
    Q_OBJECT

private slots:
    void tabFollowsTheLayouts_data()
    {
        QTest::addColumn<std::function<void(Window &)>>("change");
        QTest::addColumn<QStringList>("order");
        const QStringList still{"top field", "back", "continue"};
        QTest::newRow("nothing") << std::function<void(Window &)>([](Window &) {}) << still;
        QTest::newRow("a page made after the footer")
            << std::function<void(Window &)>(
                   [](Window &made) { made.content->addWidget(pair("one", "two")); })
            << QStringList{"top field", "one", "two", "back", "continue"};
        QTest::newRow("a page made again") << std::function<void(Window &)>([](Window &made) {
            auto *first = pair("old one", "old two");
            made.content->addWidget(first);
            QCoreApplication::sendPostedEvents();
            delete first;
            made.content->addWidget(pair("one", "two"));
        }) << QStringList{"top field", "one", "two", "back", "continue"};
        QTest::newRow("a field added inside the top part")
            << std::function<void(Window &)>([](Window &made) {
                   made.top->layout()->addWidget(Window::named(new QLineEdit, "second field"));
               })
            << QStringList{"top field", "second field", "back", "continue"};
        QTest::newRow("a part put above everything")
            << std::function<void(Window &)>([](Window &made) {
                   static_cast<QVBoxLayout *>(made.window.layout())
                       ->insertWidget(0, pair("first", "second"));
               })
            << QStringList{"first", "second", "top field", "back", "continue"};
        QTest::newRow("a button that takes the focus only later")
            << std::function<void(Window &)>([](Window &made) {
                   QWidget *part = pair("one", "two");
                   part->findChild<QWidget *>("one")->setFocusPolicy(Qt::NoFocus);
                   made.content->addWidget(part);
                   QCoreApplication::sendPostedEvents();
                   part->findChild<QWidget *>("one")->setFocusPolicy(Qt::StrongFocus);
               })
            << QStringList{"top field", "one", "two", "back", "continue"};
    }

    void tabFollowsTheLayouts()
    {
        QFETCH(std::function<void(Window &)>, change);
        QFETCH(QStringList, order);
        Window made;
        TabChain::keep(&made.window);
        made.window.show();
        QApplication::setActiveWindow(&made.window);
        QVERIFY(QTest::qWaitForWindowActive(&made.window));
        change(made);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();

        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        QCOMPARE(names(FocusMark::tabChain(&made.window)), order);
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        QStringList backwards;
        for (int step = 0; step < order.size(); ++step) {
            QWidget *from = QApplication::focusWidget();
            QTest::keyClick(from ? from : &made.window, Qt::Key_Backtab);
            backwards.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(backwards, order);
    }
};

QTEST_MAIN(TabChainTest)
#include "TabChainTest.moc"

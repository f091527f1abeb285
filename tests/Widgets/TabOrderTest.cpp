#include "Widgets/TabOrder.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace Quorvel;

namespace {

QPushButton *button(const QString &name, QWidget *parent)
{
    auto *made = new QPushButton(name, parent);
    made->setObjectName(name);
    return made;
}

// The names of the stops Tab reaches from the focus, once round.
QStringList walk(QWidget *window)
{
    QStringList names;
    QWidget *start = QApplication::focusWidget();
    for (int step = 0; step < 20; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        names.append(now ? now->objectName() : QString());
        if (!now || now == start || now->window() != window)
            break;
    }
    return names;
}

} // namespace

// Controls made in another order than they are laid out: after followLayouts Tab goes as the
// layouts read, nested boxes within; a combo box with its field is one stop, a menu is left out.
class TabOrderTest : public QObject {
    Q_OBJECT

private slots:
    void tabFollowsTheLayouts()
    {
        QWidget window;
        auto *column = new QVBoxLayout(&window);
        QPushButton *last = button(QStringLiteral("last"), &window);
        QPushButton *right = button(QStringLiteral("right"), &window);
        auto *menu = new QMenu(&window);
        menu->addAction(QStringLiteral("item"));
        auto *line = new QHBoxLayout;
        QPushButton *left = button(QStringLiteral("left"), &window);
        auto *combo = new QComboBox(&window);
        combo->setObjectName(QStringLiteral("combo"));
        combo->setEditable(true);
        line->addWidget(left);
        line->addWidget(combo);
        line->addWidget(right);
        auto *field = new QLineEdit(&window);
        field->setObjectName(QStringLiteral("field"));
        column->addWidget(field);
        column->addLayout(line);
        column->addWidget(last);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QCOMPARE(TabOrder::inLayoutOrder(&window),
                 (QList<QWidget *>{field, left, combo, right, last}));
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(walk(&window), (QStringList{"last", "right", "left", "combo", "field"}));
        TabOrder::followLayouts(&window);
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(walk(&window), (QStringList{"left", "combo", "right", "last", "field"}));
    }
};

QTEST_MAIN(TabOrderTest)
#include "TabOrderTest.moc"

#include "Widgets/TabChain.h"

#include <QApplication>
#include <QChildEvent>
#include <QHash>
#include <QLayout>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace Quorvel {

namespace {

const char *const keptName = "quorvelTabChainKept";

// A widget the keyboard reaches by Tab; one that hands its focus to another is reached there.
bool isStop(const QWidget *widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
}

// The widgets a layout shows, in its order, through the layouts inside it.
void laidOut(const QLayout *layout, QList<QWidget *> &widgets)
{
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (QWidget *widget = item->widget())
            widgets.append(widget);
        else if (const QLayout *inner = item->layout())
            laidOut(inner, widgets);
    }
}

// Where the chain first reaches the widget or what it holds; where the widget itself is, when
// neither is a stop.
int firstPlace(const QWidget *widget, const QHash<const QWidget *, int> &places)
{
    int first = places.value(widget);
    bool found = isStop(widget);
    for (const QWidget *inner : widget->findChildren<QWidget *>()) {
        if (isStop(inner) && inner->window() == widget->window()) {
            const int place = places.value(inner);
            first = found ? std::min(first, place) : place;
            found = true;
        }
    }
    return first;
}

// The widget's children in the order Tab should reach them: those of its layout first in the
// layout's order, then the others as the chain reaches them.
QList<QWidget *> childrenInOrder(const QWidget *widget, const QHash<const QWidget *, int> &places)
{
    QList<QWidget *> ordered;
    if (const QLayout *layout = widget->layout())
        laidOut(layout, ordered);
    ordered.removeIf([widget](const QWidget *child) { return child->parentWidget() != widget; });
    QList<QWidget *> others;
    for (QObject *object : widget->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (child && !child->isWindow() && !ordered.contains(child))
            others.append(child);
    }
    std::stable_sort(others.begin(), others.end(), [&places](const QWidget *a, const QWidget *b) {
        return firstPlace(a, places) < firstPlace(b, places);
    });
    return ordered + others;
}

// The widgets inside widget in the order Tab should reach them, whether they take the focus now
// or not: one that takes none now may later (a list whose rows take turns being its stop). A
// widget that hands its focus to another is left where it is.
void collectInOrder(const QWidget *widget, const QHash<const QWidget *, int> &places,
                    QList<QWidget *> &line)
{
    for (QWidget *child : childrenInOrder(widget, places)) {
        if (!child->focusProxy())
            line.append(child);
        collectInOrder(child, places, line);
    }
}

} // namespace

void TabChain::keep(QWidget *window)
{
    window->setProperty(keptName, true);
    followLayouts(window);
    instance();
}

void TabChain::followLayouts(QWidget *window)
{
    QHash<const QWidget *, int> places;
    for (QWidget *widget = window->nextInFocusChain(); widget != window && !places.contains(widget);
         widget = widget->nextInFocusChain())
        places.insert(widget, int(places.size()));
    QList<QWidget *> line{window};
    collectInOrder(window, places, line);
    // setTabOrder() takes only widgets that take the focus, and passes over the others when it
    // looks for the one before: the window and every widget in the line take it for the moment.
    QList<Qt::FocusPolicy> own;
    own.reserve(line.size());
    for (QWidget *widget : std::as_const(line)) {
        own.append(widget->focusPolicy());
        widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() | Qt::TabFocus));
    }
    for (qsizetype index = 1; index < line.size(); ++index)
        QWidget::setTabOrder(line.at(index - 1), line.at(index));
    for (qsizetype index = 0; index < line.size(); ++index)
        line.at(index)->setFocusPolicy(own.at(index));
}

TabChain::TabChain(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

TabChain *TabChain::instance()
{
    if (auto *made = qApp->findChild<TabChain *>(QString(), Qt::FindDirectChildrenOnly))
        return made;
    return new TabChain(qApp);
}

bool TabChain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded && watched->isWidgetType() &&
        static_cast<QChildEvent *>(event)->child()->isWidgetType()) {
        QWidget *window = static_cast<QWidget *>(watched)->window();
        if (window->property(keptName).toBool())
            schedule(window);
    }
    return QObject::eventFilter(watched, event);
}

void TabChain::schedule(QWidget *window)
{
    if (m_due.contains(window))
        return;
    if (m_due.isEmpty())
        QMetaObject::invokeMethod(this, &TabChain::settle, Qt::QueuedConnection);
    m_due.append(window);
}

void TabChain::settle()
{
    const QList<QPointer<QWidget>> due = std::exchange(m_due, {});
    for (const QPointer<QWidget> &window : due) {
        if (window)
            followLayouts(window);
    }
}

} // namespace Quorvel

#include "Widgets/TabOrder.h"

#include <QLayout>
#include <QSet>
#include <QWidget>

namespace Quorvel {

namespace {

void addWidget(QWidget *widget, QList<QWidget *> &stops);

void addLayout(const QLayout *layout, QList<QWidget *> &stops, QSet<const QWidget *> &placed)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QWidget *widget = item->widget()) {
            placed.insert(widget);
            addWidget(widget, stops);
        } else if (const QLayout *inner = item->layout()) {
            addLayout(inner, stops, placed);
        }
    }
}

void addChildren(const QWidget *parent, QList<QWidget *> &stops)
{
    QSet<const QWidget *> placed;
    if (const QLayout *layout = parent->layout())
        addLayout(layout, stops, placed);
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !placed.contains(widget))
            addWidget(widget, stops);
    }
}

void addWidget(QWidget *widget, QList<QWidget *> &stops)
{
    if (widget->isWindow())
        return;
    if (widget->focusPolicy() != Qt::NoFocus) {
        stops.append(widget);
        return;
    }
    addChildren(widget, stops);
}

} // namespace

QList<QWidget *> TabOrder::inLayoutOrder(QWidget *root)
{
    QList<QWidget *> stops;
    addChildren(root, stops);
    return stops;
}

void TabOrder::followLayouts(QWidget *root)
{
    const QList<QWidget *> stops = inLayoutOrder(root);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

} // namespace Quorvel

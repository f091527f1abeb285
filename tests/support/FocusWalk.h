#pragma once

#include "FocusMark.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QScrollArea>
#include <QTest>
#include <QWidget>

#include <algorithm>

// Walks a window by keyboard as a user would and finds the stops that don't show the focus.
namespace FocusMark {

// Room around a control for a mark drawn just outside it.
constexpr int markRoom = 4;
// More stops than any window has: the walk ends when the focus comes round again.
constexpr int mostStops = 120;

inline QString describe(const QWidget *widget)
{
    if (!widget)
        return QStringLiteral("nothing");
    QString text = widget->accessibleName();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget);
        text.isEmpty() && button)
        text = button->text();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
}

// What the window shows in and just around the widget, once the events waiting are handled;
// nothing when the widget went meanwhile.
inline QImage around(QWidget *widget)
{
    const QPointer<QWidget> guard(widget);
    QCoreApplication::processEvents();
    if (!guard)
        return {};
    QWidget *window = widget->window();
    const QRect area = QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())
                           .adjusted(-markRoom, -markRoom, markRoom, markRoom);
    return window->grab(area & window->rect()).toImage();
}

// The stops of the window's Tab chain in the order Tab (or Shift+Tab, with Qt::Key_Backtab)
// reaches them, from where the focus is.
inline QList<QWidget *> tabChain(QWidget *window, Qt::Key key = Qt::Key_Tab)
{
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
    QList<QWidget *> chain;
    for (int step = 0; step < mostStops; ++step) {
        QWidget *from = QApplication::focusWidget();
        QTest::keyClick(from ? from : window, key, modifiers);
        QWidget *now = QApplication::focusWidget();
        if (!now || chain.contains(now))
            break;
        chain.append(now);
    }
    return chain;
}

// Each stop of the chain whose picture with the keyboard's focus differs too little from its
// picture with no focus at all, described with the pixels that did change.
inline QStringList unseenStops(const QList<QWidget *> &chain)
{
    QStringList unseen;
    const QList<QPointer<QWidget>> stops(chain.cbegin(), chain.cend());
    for (const QPointer<QWidget> &stop : stops) {
        if (!stop)
            continue;
        const QString name = describe(stop);
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        const QImage unfocused = around(stop);
        if (stop)
            stop->setFocus(Qt::TabFocusReason);
        if (!stop || QApplication::focusWidget() != stop) {
            unseen.append(QStringLiteral("%1 (gone or no focus)").arg(name));
            continue;
        }
        const QImage focused = around(stop);
        if (!stop) {
            unseen.append(QStringLiteral("%1 (gone with the focus on it)").arg(name));
            continue;
        }
        const int marked = markedPixels(focused, unfocused);
        if (!isSeen(marked, stop->size() * stop->devicePixelRatio()))
            unseen.append(QStringLiteral("%1 (%2 pixels)").arg(name).arg(marked));
    }
    return unseen;
}

// The stops that are scroll views holding other stops of the chain: the keyboard reaches what
// they hold, which scrolls into view, so they are a stop that shows nothing of its own.
inline QStringList scrollViewStops(const QList<QWidget *> &chain)
{
    QStringList found;
    for (QWidget *stop : chain) {
        if (!qobject_cast<QScrollArea *>(stop))
            continue;
        if (std::any_of(chain.cbegin(), chain.cend(), [stop](const QWidget *other) {
                return other != stop && stop->isAncestorOf(other);
            }))
            found.append(describe(stop));
    }
    return found;
}

} // namespace FocusMark

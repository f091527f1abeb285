#pragma once

#include "FocusWalk.h"

#include <QApplication>
#include <QPointer>
#include <QRect>
#include <QTest>
#include <QWidget>

// Walks a window by keyboard from its start, as a user who just came to it would, and finds the
// steps that jump against the order the window is read in.
namespace FocusMark {

// Controls side by side are centred on each other and of a few pixels' different heights; a
// layout's spacing keeps controls above each other further apart than this.
constexpr int rowSlack = 4;

// Where a widget is on the screen.
inline QRect onScreen(const QWidget *widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

// Whether the area `next` is read after the area `previous`: it starts below where the previous
// ends, or it is on the same line and starts right of where the previous ends.
inline bool readAfter(const QRect &previous, const QRect &next)
{
    const int previousEnd = previous.y() + previous.height();
    const int nextEnd = next.y() + next.height();
    if (next.y() >= previousEnd - rowSlack)
        return true;
    if (nextEnd <= previous.y() + rowSlack)
        return false;
    return next.x() >= previous.x() + previous.width() - rowSlack;
}

// Each step of the walk that goes against the reading order, from the window itself with nothing
// focused, by Tab (or by Shift+Tab, which goes the other way) until the first stop comes round
// again. Both places of a step are taken just after it: a scroll view brings the stop it reached
// into view, which moves the stop before it just as much when both are in it.
inline QStringList stepsAgainstReading(QWidget *window, bool backwards)
{
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    const Qt::Key key = backwards ? Qt::Key_Backtab : Qt::Key_Tab;
    QTest::keyClick(window, key);
    QList<QWidget *> stops;
    if (QWidget *first = QApplication::focusWidget())
        stops.append(first);
    QStringList against;
    while (!stops.isEmpty() && stops.size() < mostStops) {
        const QPointer<QWidget> from = stops.last();
        QTest::keyClick(from, key);
        QWidget *to = QApplication::focusWidget();
        if (!from || !to || to == stops.first() || stops.contains(to))
            break;
        const QRect fromArea = onScreen(from);
        const QRect toArea = onScreen(to);
        if (!(backwards ? readAfter(toArea, fromArea) : readAfter(fromArea, toArea)))
            against.append(QStringLiteral("%1 at %2,%3 → %4 at %5,%6")
                               .arg(describe(from))
                               .arg(fromArea.x())
                               .arg(fromArea.y())
                               .arg(describe(to))
                               .arg(toArea.x())
                               .arg(toArea.y()));
        stops.append(to);
    }
    return against;
}

} // namespace FocusMark

#pragma once

#include <QWidget>

namespace Quorvel {

// Takes a part that is being rebuilt off screen at once and deletes it once the event that led
// here is over: the click being handled may come from inside it.
inline void retireWidget(QWidget *widget)
{
    if (!widget)
        return;
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}

} // namespace Quorvel

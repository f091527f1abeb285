#pragma once

#include <QList>

class QWidget;

namespace Quorvel {

// Tab in reading order. Qt chains a window's controls in the order they were made, so a part made
// again later (a card's sentence, a card added, a list's new rows) lands after the window's last
// control, whatever its place on screen. This chains the controls inside a widget in the order
// its layouts place them: a box's items in turn, nested boxes within, a flow as it reads.
class TabOrder {
public:
    // The controls inside root that take the focus, in the order root's layouts place them;
    // children that no layout places come after, in the order they were made. A control that
    // takes the focus is one stop with whatever it holds (a combo box and its field); windows of
    // their own (popups, sheets) are left out.
    static QList<QWidget *> inLayoutOrder(QWidget *root);
    // Chains those controls in that order, starting where the first of them stands.
    static void followLayouts(QWidget *root);
};

} // namespace Quorvel

#pragma once

#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/Control.h"

#include <QWidget>

class QToolButton;

namespace Quorvel {

// Changes what kind of action a control is: a button, a switch or a readout, converting its
// parts for the new kind.
class TypePopover : public QWidget {
    Q_OBJECT

public:
    explicit TypePopover(EditBinding<Control> control, QWidget *parent = nullptr);

    // Button, Switch, Readout; the current kind's row is checked.
    QList<QToolButton *> rows() const { return m_rows; }

private:
    void refresh();

    EditBinding<Control> m_control;
    QList<QToolButton *> m_rows;
};

} // namespace Quorvel

#pragma once

#include "QuorvelCore/Model/Control.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QPushButton;

namespace Quorvel {

class ClientModel;
class PlainLabel;
class StatusBadge;

// One action of the connected host: a button to press, a switch to flip or a readout to read.
// A switch always shows what the host last reported: a click sends the request and the switch
// goes straight back to the reported position until the host's state update moves it.
class ControlRow : public QWidget {
    Q_OBJECT
public:
    ControlRow(const Control &control, ClientModel *model, QWidget *parent = nullptr);

    const Control &control() const { return m_control; }
    // Shows the model's current state and pending set for this control.
    void refresh();

    // For tests: the parts a user acts on or reads.
    QPushButton *pressButton() const { return m_button; }
    QCheckBox *switchBox() const { return m_switch; }
    StatusBadge *badge() const { return m_badge; }
    QString readout() const;
    QString title() const;
    QString iconSymbol() const;

private:
    QWidget *makeLabel(QWidget *parent);

    Control m_control;
    QPointer<ClientModel> m_model;
    QPushButton *m_button = nullptr;
    QCheckBox *m_switch = nullptr;
    StatusBadge *m_badge = nullptr;
    PlainLabel *m_title = nullptr;
    PlainLabel *m_readout = nullptr;
};

} // namespace Quorvel

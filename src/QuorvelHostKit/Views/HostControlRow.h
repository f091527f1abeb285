#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelHostKit/Views/HostViewRules.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace Quorvel {

class PlainLabel;
class StatusDot;

// One action of the host's deck: its icon, its title and its live state at the end.
class HostControlRow : public QWidget {
    Q_OBJECT
public:
    explicit HostControlRow(const Control &control, QWidget *parent = nullptr);

    const Control &control() const { return m_control; }
    // Shows the state; does nothing when it shows the same already.
    void setState(const std::optional<ControlState> &state);
    const HostViewRules::RowIndicator &indicator() const { return m_indicator; }
    QString title() const;

private:
    Control m_control;
    HostViewRules::RowIndicator m_indicator;
    PlainLabel *m_title;
    StatusDot *m_dot;
    PlainLabel *m_detail;
};

} // namespace Quorvel

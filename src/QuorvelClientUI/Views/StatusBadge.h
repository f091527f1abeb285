#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include <QWidget>

namespace Quorvel {

class BusyIndicator;
class PlainLabel;
class StatusDot;

// The live state of a switch under its title: a spinner while busy, else a coloured dot and a
// word or the host's detail.
class StatusBadge : public QWidget {
    Q_OBJECT
public:
    explicit StatusBadge(QWidget *parent = nullptr);

    void setState(const std::optional<ControlState> &state, bool busy);
    const RemoteViewRules::Badge &badge() const { return m_badge; }
    QString text() const;

private:
    void apply();

    RemoteViewRules::Badge m_badge;
    BusyIndicator *m_spinner;
    StatusDot *m_dot;
    PlainLabel *m_text;
};

} // namespace Quorvel

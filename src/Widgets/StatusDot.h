#pragma once

#include "Widgets/StatusColors.h"

#include <QWidget>

namespace Quorvel {

// A small filled circle in a status colour, painted rather than drawn from an icon.
class StatusDot : public QWidget {
    Q_OBJECT
public:
    explicit StatusDot(int diameter, QWidget *parent = nullptr);

    StatusTone tone() const { return m_tone; }
    void setTone(StatusTone tone);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_diameter;
    StatusTone m_tone = StatusTone::gray;
};

} // namespace Quorvel

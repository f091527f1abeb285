#pragma once

#include "Widgets/StatusColors.h"

#include <QFrame>

namespace Quorvel {

// A rounded, tinted box for the editor's notices; its content is laid out by the caller.
class Banner : public QFrame {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;

    // The tone's colour (secondary or yellow) at alpha fills it.
    Banner(StatusTone tone, qreal alpha, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    StatusTone m_tone;
    qreal m_alpha;
};

} // namespace Quorvel

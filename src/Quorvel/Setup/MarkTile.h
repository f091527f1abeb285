#pragma once

#include <QWidget>

namespace Quorvel {

// The product's mark in the window's text colour on a small rounded tile of a faint fill, as the
// done step shows it beside where Quorvel lives.
class MarkTile : public QWidget {
public:
    static constexpr int markSide = 18;
    static constexpr int padding = 6;
    static constexpr int cornerRadius = 6;
    // The faint fill: the window's text colour at this opacity.
    static constexpr qreal fillAlpha = 0.08;

    explicit MarkTile(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Quorvel

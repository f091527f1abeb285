#pragma once

#include <QFrame>

namespace Quorvel {

// A small window that hangs by a widget and closes when the user clicks elsewhere or presses
// Escape, as the desktop's popups do. It deletes itself when it closes.
class Popover : public QFrame {
    Q_OBJECT

public:
    enum class Side { below, trailing };

    // Padding around the content on every side.
    static constexpr int padding = 14;

    // content becomes the popover's child; width 0 lets the content choose.
    Popover(QWidget *anchor, QWidget *content, int width = 0);

    // Shows it below or beside the anchor, kept on the anchor's screen, also when its content
    // grows later.
    void showBy(Side side);
    QWidget *content() const { return m_content; }

signals:
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Moves it by the anchor and inside the screen's free area.
    void place();

    Side m_side = Side::below;
    QWidget *m_anchor;
    QWidget *m_content;
};

} // namespace Quorvel

#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QPainter;

namespace Quorvel {

// The mark that shows which control the keyboard is on: a ring two pixels wide in whichever of
// the window's text and background colours stands out more from what it is drawn over. The
// style's own marks often cannot be seen: Fusion draws a focused default button exactly as an
// unfocused one, and marks a tool button, a custom-drawn control or a frameless field not at all.
// A window that calls follow() shows this ring just outside the control that has the focus, once
// the keyboard has moved it (as the style decides for its own mark). Controls that draw the ring
// inside their own fill say so with setDrawsOwnRing() and are left to it.
class FocusRing : public QObject {
    Q_OBJECT

public:
    // Follows the focus among root's children for as long as root lives.
    static void follow(QWidget *root);
    // The widget draws the ring itself (with paint()); follow() leaves it alone.
    static void setDrawsOwnRing(QWidget *widget);
    // Whether widget has the focus and the keyboard moved it there.
    static bool isShownOn(const QWidget *widget);
    // The ring's colour over the colour under it.
    static QColor colour(const QPalette &palette, const QColor &under);
    // Draws the ring just inside rect.
    static void paint(QPainter &painter, const QRectF &rect, const QColor &colour);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FocusRing(QWidget *root);
    void focusMoved();
    void place();
    void unwatch();

    QWidget *m_root;
    // The drawn ring, a child of the root's window so that no neighbour covers it.
    QPointer<QWidget> m_ring;
    QPointer<QWidget> m_target;
    // The target and its parents, whose moves move the ring.
    QList<QPointer<QWidget>> m_watched;
};

} // namespace Quorvel

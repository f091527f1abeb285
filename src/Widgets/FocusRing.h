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
// Installed once for the program, the ring shows just outside whatever control has the focus, in
// every window, once the keyboard has moved the focus there (as the style decides for its own
// mark); a window needs no code of its own for it. Controls that draw the ring inside their own
// fill say so with setDrawsOwnRing() and are left to it.
class FocusRing : public QObject {
    Q_OBJECT

public:
    // Follows the focus in every window of the application from now on. Once, after the
    // QApplication is made; again does nothing.
    static void install();
    // The widget draws the ring itself (with paint()); the program's ring leaves it alone.
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
    explicit FocusRing(QObject *parent);
    void focusMoved();
    void place();
    void hideRing();
    void unwatch();

    // The drawn ring, a child of the target's window so that no neighbour covers it.
    QPointer<QWidget> m_ring;
    QPointer<QWidget> m_target;
    // The target and its parents, whose moves move the ring.
    QList<QPointer<QWidget>> m_watched;
};

} // namespace Quorvel

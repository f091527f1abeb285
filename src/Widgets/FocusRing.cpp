#include "Widgets/FocusRing.h"

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPainter>

namespace Quorvel {

namespace {

constexpr qreal ringWidth = 2.0;
constexpr qreal ringRadius = 3.0;
// Outside a control the ring keeps a pixel clear of its edge.
constexpr int outsideGap = 1;
constexpr int outside = outsideGap + int(ringWidth);
const char *const drawsOwnRing = "quorvelDrawsOwnFocusRing";
const char *const ringName = "quorvelFocusRing";

// The ring as a widget of its own over the window: it takes no clicks and no focus.
class RingWidget : public QWidget {
public:
    explicit RingWidget(QWidget *window) : QWidget(window)
    {
        setObjectName(QString::fromLatin1(ringName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    // ring: where the whole ring lies, in the window; shown: the part of it that may be seen.
    void show(const QRect &ring, const QRect &shown, const QColor &colour)
    {
        m_ring = ring.translated(-shown.topLeft());
        m_colour = colour;
        setGeometry(shown);
        raise();
        QWidget::show();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        FocusRing::paint(painter, m_ring, m_colour);
    }

private:
    QRect m_ring;
    QColor m_colour;
};

// Where the ring may be seen: inside the window and inside every scrolled view that holds the
// control, so a control scrolled half out of sight is not ringed over the view's edge.
QRect visibleArea(const QWidget *target, QWidget *window)
{
    QRect area = window->rect();
    for (const QWidget *parent = target->parentWidget(); parent && parent != window;
         parent = parent->parentWidget()) {
        const auto *scrollArea = qobject_cast<const QAbstractScrollArea *>(parent->parentWidget());
        if (scrollArea && scrollArea->viewport() == parent)
            area &= QRect(parent->mapTo(window, QPoint(0, 0)), parent->size());
    }
    return area;
}

// The window's ring, made the first time the window needs one.
RingWidget *ringIn(QWidget *window)
{
    if (auto *ring =
            window->findChild<QWidget *>(QString::fromLatin1(ringName), Qt::FindDirectChildrenOnly))
        return static_cast<RingWidget *>(ring);
    return new RingWidget(window);
}

// Whether the ring goes round this control. A window holding the focus itself has no control
// on the keyboard; a combo box's open list marks its current row already.
bool takesRing(const QWidget *widget)
{
    return widget && !widget->isWindow() && !widget->property(drawsOwnRing).toBool() &&
           !qobject_cast<const QComboBox *>(widget->window()->parentWidget());
}

} // namespace

void FocusRing::install()
{
    if (!qApp->findChild<FocusRing *>(QString(), Qt::FindDirectChildrenOnly))
        new FocusRing(qApp);
}

FocusRing::FocusRing(QObject *parent) : QObject(parent)
{
    connect(qApp, &QApplication::focusChanged, this, &FocusRing::focusMoved);
}

void FocusRing::setDrawsOwnRing(QWidget *widget)
{
    widget->setProperty(drawsOwnRing, true);
}

bool FocusRing::isShownOn(const QWidget *widget)
{
    // As the style decides for its own mark: once the keyboard has moved the focus in the window.
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

QColor FocusRing::colour(const QPalette &palette, const QColor &under)
{
    // Of the window's text and background (one dark, one light in every palette), the one that
    // stands out more from what lies under the ring.
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return ColourContrast::ratio(text, under) >= ColourContrast::ratio(window, under) ? text
                                                                                      : window;
}

void FocusRing::paint(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal half = ringWidth / 2;
    painter.drawRoundedRect(rect.adjusted(half, half, -half, -half), ringRadius, ringRadius);
    painter.restore();
}

void FocusRing::focusMoved()
{
    QWidget *now = QApplication::focusWidget();
    const bool ringed = takesRing(now);
    if (m_target != (ringed ? now : nullptr)) {
        unwatch();
        m_target = ringed ? now : nullptr;
        for (QWidget *widget = m_target; widget && !widget->isWindow();
             widget = widget->parentWidget()) {
            widget->installEventFilter(this);
            m_watched.append(widget);
        }
    }
    place();
}

void FocusRing::unwatch()
{
    for (const QPointer<QWidget> &widget : std::as_const(m_watched)) {
        if (widget)
            widget->removeEventFilter(this);
    }
    m_watched.clear();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
        place();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FocusRing::hideRing()
{
    if (m_ring)
        m_ring->hide();
}

void FocusRing::place()
{
    QWidget *target = m_target;
    if (!target || !target->isVisible() || !isShownOn(target)) {
        hideRing();
        return;
    }
    QWidget *window = target->window();
    const QRect ring = QRect(target->mapTo(window, QPoint(0, 0)), target->size())
                           .adjusted(-outside, -outside, outside, outside);
    const QRect shown = ring & visibleArea(target, window);
    if (shown.isEmpty()) {
        hideRing();
        return;
    }
    if (m_ring && m_ring->parentWidget() != window)
        hideRing();
    if (!m_ring || m_ring->parentWidget() != window)
        m_ring = ringIn(window);
    const QWidget *around = target->parentWidget() ? target->parentWidget() : target;
    const QColor under = around->palette().color(around->backgroundRole());
    static_cast<RingWidget *>(m_ring.data())->show(ring, shown, colour(target->palette(), under));
}

} // namespace Quorvel

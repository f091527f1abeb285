#include "QuorvelClientUI/Views/Editor/Popover.h"

#include "Widgets/TabChain.h"

#include <QScreen>
#include <QVBoxLayout>

namespace Quorvel {

Popover::Popover(QWidget *anchor, QWidget *content, int width)
    : QFrame(anchor, Qt::Popup), m_anchor(anchor), m_content(content)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(content);
    if (width > 0)
        setFixedWidth(width);
    TabChain::keep(this);
}

void Popover::showBy(Side side)
{
    m_side = side;
    adjustSize();
    // Qt measures wrapped text at the width the content would like, not at the width the popover
    // keeps: a fixed width gets the height for that width, or wrapped text leaves room below.
    if (minimumWidth() == maximumWidth() && layout()->hasHeightForWidth())
        resize(width(), layout()->totalHeightForWidth(width()));
    place();
    show();
    // Showing can still settle its size (the frame, the style's metrics): place it again.
    place();
}

void Popover::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (isVisible())
        place();
}

void Popover::place()
{
    const QRect anchorRect(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
    QPoint at = m_side == Side::below ? anchorRect.bottomLeft() + QPoint(0, 1)
                                      : anchorRect.topRight() + QPoint(1, 0);
    if (const QScreen *screen = m_anchor->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(at);
}

void Popover::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit closed();
    close();
}

} // namespace Quorvel

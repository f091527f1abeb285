#include "QuorvelClientUI/Views/Editor/FlowLayout.h"

#include <QWidget>

#include <cmath>
#include <limits>

namespace Quorvel {

FlowLayout::FlowLayout(int spacing, int lineSpacing, QWidget *parent)
    : QLayout(parent), m_lineSpacing(lineSpacing)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addWidget(QWidget *widget, bool tight)
{
    addChildWidget(widget);
    m_items.append(Entry{new QWidgetItem(widget), tight});
    invalidate();
}

void FlowLayout::truncate(int count)
{
    while (QLayoutItem *item = takeAt(count)) {
        delete item->widget();
        delete item;
    }
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(Entry{item, false});
    invalidate();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).item : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index).item;
    invalidate();
    return item;
}

QList<FlowRows::Piece> FlowLayout::pieces() const
{
    QList<FlowRows::Piece> result;
    result.reserve(m_items.size());
    for (const Entry &entry : m_items) {
        const QSize size = entry.item->isEmpty() ? QSize() : entry.item->sizeHint();
        result.append(FlowRows::Piece{QSizeF(size), entry.tight});
    }
    return result;
}

int FlowLayout::heightForWidth(int width) const
{
    if (width != m_cachedWidth) {
        const auto rows = FlowRows::rows(pieces(), double(width), double(spacing()));
        m_cachedHeight = int(std::ceil(FlowRows::height(rows, m_lineSpacing)));
        m_cachedWidth = width;
    }
    return m_cachedHeight;
}

void FlowLayout::invalidate()
{
    m_cachedWidth = -1;
    QLayout::invalidate();
}

QSize FlowLayout::sizeHint() const
{
    const auto rows =
        FlowRows::rows(pieces(), std::numeric_limits<double>::infinity(), double(spacing()));
    return QSize(int(std::ceil(FlowRows::width(rows))),
                 int(std::ceil(FlowRows::height(rows, m_lineSpacing))));
}

QSize FlowLayout::minimumSize() const
{
    QSize widest;
    for (const Entry &entry : m_items)
        widest = widest.expandedTo(entry.item->minimumSize());
    return QSize(widest.width(), 0);
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QList<FlowRows::Piece> all = pieces();
    const auto rows = FlowRows::rows(all, double(rect.width()), double(spacing()));
    double y = rect.top();
    for (const FlowRows::Row &row : rows) {
        double x = rect.left();
        for (qsizetype at = 0; at < row.items.size(); ++at) {
            const FlowRows::Placed &placed = row.items.at(at);
            x += placed.leading;
            // A piece wider than its line on its own (a chip naming a long host) gets the line,
            // less the punctuation that sticks to it, and shortens its text to fit.
            double followers = 0;
            for (qsizetype next = at + 1;
                 next < row.items.size() && all.at(row.items.at(next).index).tight; ++next)
                followers += FlowRows::tightGap + all.at(row.items.at(next).index).size.width();
            QSizeF size = all.at(placed.index).size;
            size.setWidth(
                std::max(0.0, std::min(size.width(), rect.left() + rect.width() - x - followers)));
            const double top = y + (row.height - size.height()) / 2;
            m_items.at(placed.index)
                .item->setGeometry(
                    QRect(QPoint(int(std::lround(x)), int(std::lround(top))), size.toSize()));
            x += size.width();
        }
        y += row.height + m_lineSpacing;
    }
}

} // namespace Quorvel

#include "QuorvelClientUI/Views/Editor/FlowRows.h"

#include <algorithm>

namespace Quorvel {

namespace {

// The width of the piece at index with the tight pieces that follow it: they go to a line as one,
// so a full stop never hangs past the edge behind a chip that just fits.
double widthWithTightFollowers(const QList<FlowRows::Piece> &pieces, int index)
{
    double width = pieces.at(index).size.width();
    for (int next = index + 1; next < pieces.size() && pieces.at(next).tight; ++next)
        width += FlowRows::tightGap + pieces.at(next).size.width();
    return width;
}

} // namespace

QList<FlowRows::Row> FlowRows::rows(const QList<Piece> &pieces, double maxWidth, double spacing)
{
    QList<Row> result{Row{}};
    for (int i = 0; i < pieces.size(); ++i) {
        const Piece &piece = pieces.at(i);
        Row *row = &result.last();
        const double gap = piece.tight ? tightGap : spacing;
        const double leading = row->items.isEmpty() ? 0 : gap;
        const double w = piece.size.width();
        if (row->items.isEmpty() || piece.tight ||
            row->width + leading + widthWithTightFollowers(pieces, i) <= maxWidth) {
            row->items.append(Placed{i, leading});
            row->width += leading + w;
        } else {
            result.append(Row{{Placed{i, 0}}, w, 0});
            row = &result.last();
        }
        row->height = std::max(row->height, piece.size.height());
    }
    return result;
}

double FlowRows::height(const QList<Row> &rows, double lineSpacing)
{
    double total = 0;
    for (const Row &row : rows)
        total += row.height;
    return total + lineSpacing * double(rows.size() - 1);
}

double FlowRows::width(const QList<Row> &rows)
{
    double widest = 0;
    for (const Row &row : rows)
        widest = std::max(widest, row.width);
    return widest;
}

} // namespace Quorvel

#pragma once

#include <QList>
#include <QSizeF>

namespace Quorvel {

// How a sentence of words and chips wraps: pieces go left to right and start a new line when the
// next one would pass the width, except a tight piece (punctuation), which never starts a line.
// A piece and the tight pieces right after it wrap together, so punctuation never passes the
// width behind a piece that fits; only a piece wider than the width on its own passes it.
class FlowRows {
public:
    struct Piece {
        QSizeF size;
        bool tight = false;
    };
    struct Placed {
        int index = 0;
        // The gap before the piece on its line.
        double leading = 0;
    };
    struct Row {
        QList<Placed> items;
        double width = 0;
        double height = 0;
    };

    // A tight piece overlaps the one before it by this much, so punctuation sits against a chip.
    static constexpr double tightGap = -1;

    // The lines for pieces in a width; an infinite width puts everything on one line. There is
    // always at least one (possibly empty) line.
    static QList<Row> rows(const QList<Piece> &pieces, double maxWidth, double spacing);
    // The height of the lines with lineSpacing between them.
    static double height(const QList<Row> &rows, double lineSpacing);
    // The widest line.
    static double width(const QList<Row> &rows);
};

} // namespace Quorvel

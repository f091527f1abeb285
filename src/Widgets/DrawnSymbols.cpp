#include "Widgets/DrawnSymbols.h"

#include "Widgets/DrawnSymbolEngine.h"

#include <QHash>
#include <QLineF>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>
#include <functional>

namespace Quorvel::DrawnSymbols {

namespace {

// One drawing in a 24 by 24 box: lines to stroke, shapes to fill.
struct Drawing {
    QPainterPath outline;
    QPainterPath filled;
};

// Adds a shape to the filled part: overlapping shapes (a fan's blades on its hub) join rather
// than cancel out.
void fill(Drawing &drawing, const QPainterPath &shape)
{
    drawing.filled = drawing.filled.united(shape);
}

QPainterPath rectangle(const QRectF &box)
{
    QPainterPath path;
    path.addRect(box);
    return path;
}

QPainterPath line(QPointF from, QPointF to)
{
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A straight bar with rounded ends from one point to another, to be filled.
QPainterPath bar(QPointF from, QPointF to, qreal width)
{
    const QLineF axis(from, to);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, -width / 2, axis.length(), width), width / 2, width / 2);
    QTransform place;
    place.translate(from.x(), from.y());
    place.rotate(-axis.angle());
    return place.map(shape);
}

// An arc of a circle, angles in degrees counter-clockwise from three o'clock.
QPainterPath arc(QPointF centre, qreal radius, qreal start, qreal sweep)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    return path;
}

QPointF onCircle(QPointF centre, qreal radius, qreal degrees)
{
    const qreal radians = degrees * M_PI / 180;
    return {centre.x() + radius * std::cos(radians), centre.y() - radius * std::sin(radians)};
}

Drawing lightbulb()
{
    Drawing drawing;
    QPainterPath bulb = arc({12, 9.5}, 6.5, -60, 300);
    bulb.lineTo(9.5, 17);
    bulb.lineTo(14.5, 17);
    bulb.closeSubpath();
    drawing.outline.addPath(bulb);
    drawing.outline.addPath(line({9.5, 19.5}, {14.5, 19.5}));
    drawing.outline.addPath(line({10.5, 22}, {13.5, 22}));
    drawing.outline.addPath(arc({12, 9.5}, 3.5, 100, 70));
    return drawing;
}

Drawing fan()
{
    Drawing drawing;
    const QPointF hub(12, 12);
    drawing.outline.addPath(circle(hub, 10));
    QPainterPath blade(hub);
    blade.cubicTo(9.5, 8, 10, 3.5, 13.5, 3.5);
    blade.cubicTo(17, 3.5, 16, 9, 12, 12);
    for (const qreal turn : {0.0, 120.0, 240.0}) {
        QTransform rotation;
        rotation.translate(hub.x(), hub.y());
        rotation.rotate(turn);
        rotation.translate(-hub.x(), -hub.y());
        fill(drawing, rotation.map(blade));
    }
    fill(drawing, circle(hub, 1.8));
    return drawing;
}

Drawing key()
{
    Drawing drawing;
    drawing.outline.addPath(circle({7, 12}, 4.2));
    drawing.outline.addPath(line({11.2, 12}, {21.5, 12}));
    drawing.outline.addPath(line({18, 12}, {18, 15.5}));
    drawing.outline.addPath(line({21.5, 12}, {21.5, 15}));
    fill(drawing, circle({6, 12}, 1.3));
    return drawing;
}

Drawing boltCircle()
{
    Drawing drawing;
    drawing.outline.addPath(circle({12, 12}, 10));
    fill(drawing,
         polygon({{13.5, 4.5}, {7, 13.5}, {11.2, 13.5}, {10.2, 19.5}, {17, 10.5}, {12.8, 10.5}}));
    return drawing;
}

Drawing deskLamp()
{
    Drawing drawing;
    drawing.outline.addPath(line({4.5, 21}, {13.5, 21}));
    QPainterPath arm({9, 21});
    arm.lineTo(6.5, 13.5);
    arm.lineTo(12, 8);
    drawing.outline.addPath(arm);
    fill(drawing, circle({6.5, 13.5}, 1.4));
    fill(drawing, polygon({{10.5, 6.5}, {15, 2.5}, {21, 10.5}, {16, 11.5}}));
    drawing.outline.addPath(line({18.5, 14}, {19.5, 16}));
    return drawing;
}

Drawing hammer()
{
    Drawing drawing;
    fill(drawing, bar({4, 20.5}, {14, 10.5}, 2.6));
    fill(drawing,
         polygon(
             {{9.5, 8.5}, {14, 4}, {16.5, 4.5}, {20.5, 8.5}, {18.5, 10.5}, {15.5, 9}, {12.5, 12}}));
    return drawing;
}

Drawing twoSwitches()
{
    Drawing drawing;
    QPainterPath upper;
    upper.addRoundedRect(QRectF(2.5, 3.5, 19, 7.5), 3.75, 3.75);
    QPainterPath lower;
    lower.addRoundedRect(QRectF(2.5, 13, 19, 7.5), 3.75, 3.75);
    drawing.outline.addPath(upper);
    drawing.outline.addPath(lower);
    fill(drawing, circle({17.75, 7.25}, 2.3));
    fill(drawing, circle({6.25, 16.75}, 2.3));
    return drawing;
}

Drawing dial()
{
    Drawing drawing;
    // A knob with its pointer, and a scale of dots around it from seven to five o'clock.
    const QPointF centre(12, 12.5);
    drawing.outline.addPath(circle(centre, 6));
    fill(drawing, bar(centre, onCircle(centre, 4.6, 135), 1.8));
    for (const qreal angle : {225.0, 180.0, 135.0, 90.0, 45.0, 0.0, -45.0})
        fill(drawing, circle(onCircle(centre, 9.6, angle), 1.0));
    return drawing;
}

Drawing wrenchAndScrewdriver()
{
    Drawing drawing;
    // The screwdriver: a thick handle and a thin blade.
    fill(drawing, bar({20.5, 20.5}, {15, 15}, 3.4));
    drawing.outline.addPath(line({15, 15}, {5, 5}));
    // The wrench: a handle and an open ring.
    fill(drawing, bar({4, 20}, {13.2, 10.8}, 2.6));
    drawing.outline.addPath(arc({15.8, 8.2}, 3.4, 80, 290));
    return drawing;
}

Drawing memoryChip()
{
    Drawing drawing;
    QPainterPath board;
    board.addRect(QRectF(2, 7, 20, 9));
    drawing.outline.addPath(board);
    for (const qreal x : {4.5, 10.25, 16.0})
        fill(drawing, rectangle(QRectF(x, 9.5, 3.5, 4)));
    for (const qreal x : {4.0, 7.0, 10.0, 14.0, 17.0, 20.0})
        drawing.outline.addPath(line({x, 16}, {x, 18.5}));
    return drawing;
}

Drawing gear()
{
    Drawing drawing;
    const QPointF centre(12, 12);
    constexpr int teeth = 8;
    QPainterPath outline;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: up the flank, across the top, down the flank, across the root.
        const qreal angle = 360.0 * i / (teeth * 4) + 360.0 / (teeth * 8);
        const qreal radius = (i % 4 == 1 || i % 4 == 2) ? 10 : 7.5;
        const QPointF point = onCircle(centre, radius, angle);
        if (i == 0)
            outline.moveTo(point);
        else
            outline.lineTo(point);
    }
    outline.closeSubpath();
    drawing.outline.addPath(outline);
    drawing.outline.addPath(circle(centre, 3));
    return drawing;
}

// The warning sign's triangle, its corners rounded as the theme's signs are.
QPainterPath warningTriangle()
{
    const QPainterPath sharp = polygon({{12, 3.5}, {2.5, 20.5}, {21.5, 20.5}});
    QPainterPathStroker rounding;
    rounding.setWidth(2);
    rounding.setJoinStyle(Qt::RoundJoin);
    return sharp.united(rounding.createStroke(sharp)).simplified();
}

// The exclamation mark inside the warning sign: a bar over a dot.
QPainterPath exclamationMark()
{
    return bar({12, 9}, {12, 13.8}, 3).united(circle({12, 17.4}, 1.7));
}

// The warning sign. The theme's own sign is a picture in fixed colours (Breeze's small one a
// dark speech bubble), which no tint can turn into the orange that says "needs you".
Drawing warning()
{
    Drawing drawing;
    drawing.outline.addPath(polygon({{12, 3.5}, {2.5, 20.5}, {21.5, 20.5}}));
    fill(drawing, exclamationMark());
    return drawing;
}

// The filled warning sign: the mark is cut out, so a tint keeps it readable on any window.
Drawing filledWarning()
{
    Drawing drawing;
    drawing.filled = warningTriangle().subtracted(exclamationMark());
    return drawing;
}

// The error sign: a filled octagon standing on a flat side, its x cut out so a tint keeps it
// readable on any window. The theme's own sign is a picture in fixed colours (Breeze's small one
// a red speech bubble), which no tint turns into the sign that says "this failed".
Drawing filledErrorSign()
{
    const QPointF centre(12, 12);
    constexpr int sides = 8;
    QPainterPath octagon;
    for (int side = 0; side < sides; ++side) {
        const QPointF corner = onCircle(centre, 10.5, 22.5 + 360.0 * side / sides);
        if (side == 0)
            octagon.moveTo(corner);
        else
            octagon.lineTo(corner);
    }
    octagon.closeSubpath();
    const QPainterPath cross =
        bar({8.2, 8.2}, {15.8, 15.8}, 2.6).united(bar({15.8, 8.2}, {8.2, 15.8}, 2.6));
    Drawing drawing;
    drawing.filled = octagon.subtracted(cross);
    return drawing;
}

// The check mark's stroke, short leg then long, inside a circle of radius 10 about the middle.
QPainterPath checkStroke()
{
    QPainterPath check({7.2, 12.4});
    check.lineTo(10.5, 15.7);
    check.lineTo(16.8, 8.6);
    return check;
}

// A check mark in a circle. The theme's picture for it is a bare check, which reads as a tick
// in a list rather than as an outcome's mark.
Drawing circledCheck()
{
    Drawing drawing;
    drawing.outline.addPath(circle({12, 12}, 10));
    drawing.outline.addPath(checkStroke());
    return drawing;
}

// The filled disc with its check mark cut out, so a tint keeps the check readable.
Drawing filledCircledCheck()
{
    QPainterPathStroker cut;
    cut.setWidth(2.6);
    cut.setCapStyle(Qt::RoundCap);
    cut.setJoinStyle(Qt::RoundJoin);
    Drawing drawing;
    drawing.filled = circle({12, 12}, 10).subtracted(cut.createStroke(checkStroke()));
    return drawing;
}

// A small letter i in a circle. The theme's information sign is a speech bubble, square at the
// small sizes, which no list of outcomes shows beside round marks.
Drawing circledInformation()
{
    Drawing drawing;
    drawing.outline.addPath(circle({12, 12}, 10));
    fill(drawing, circle({12, 7.2}, 1.4));
    fill(drawing, bar({12, 10.6}, {12, 17.2}, 2.2));
    return drawing;
}

const QHash<QString, std::function<Drawing()>> &drawings()
{
    static const QHash<QString, std::function<Drawing()>> all{
        {QStringLiteral("lightbulb"), lightbulb},
        {QStringLiteral("fan"), fan},
        {QStringLiteral("key"), key},
        {QStringLiteral("key.fill"), key},
        {QStringLiteral("bolt.circle"), boltCircle},
        {QStringLiteral("lamp.desk"), deskLamp},
        {QStringLiteral("hammer"), hammer},
        {QStringLiteral("switch.2"), twoSwitches},
        {QStringLiteral("dial.medium"), dial},
        {QStringLiteral("wrench.and.screwdriver"), wrenchAndScrewdriver},
        {QStringLiteral("memorychip"), memoryChip},
        {QStringLiteral("gearshape"), gear},
        {QStringLiteral("exclamationmark.triangle"), warning},
        {QStringLiteral("exclamationmark.triangle.fill"), filledWarning},
        {QStringLiteral("xmark.octagon.fill"), filledErrorSign},
        {QStringLiteral("checkmark.circle"), circledCheck},
        {QStringLiteral("checkmark.circle.fill"), filledCircledCheck},
        {QStringLiteral("info.circle"), circledInformation},
    };
    return all;
}

} // namespace

bool draws(const QString &symbol)
{
    return drawings().contains(symbol);
}

QIcon icon(const QString &symbol)
{
    const auto found = drawings().constFind(symbol);
    if (found == drawings().cend())
        return QIcon();
    const Drawing drawing = (*found)();
    return QIcon(new DrawnSymbolEngine(drawing.outline, drawing.filled));
}

} // namespace Quorvel::DrawnSymbols

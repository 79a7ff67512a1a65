#pragma once

#include <QColor>
#include <QPen>
#include <QPointF>

class QPainter;

// The chart's lines, drawn alike and fast at any pixel ratio.
namespace PolylinePainter {

// Width in pixels, flat caps, mitred joins.
QPen solidPen(const QColor& colour, double width);

// Dash and gap in pixels. Qt counts dashes in pen widths, except that pens
// of up to one pixel are drawn as hairlines whose dashes count in pixels.
QPen dashedPen(const QColor& colour, double width, double dash, double gap);

struct Polyline {
    const QPointF* points = nullptr;
    int count = 0;
    QColor colour;
    double width = 1;
    double dash = 0; // pixels; 0 draws a solid line
    double gap = 0;
};

// Draws `line` with `painter`'s render hints, its colour's opacity counted
// once wherever the line crosses itself.
void draw(QPainter& painter, const Polyline& line);

} // namespace PolylinePainter

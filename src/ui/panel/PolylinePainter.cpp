#include "PolylinePainter.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace PolylinePainter {

namespace {

void drawHairlines(QPainter& painter, const Polyline& line, QColor colour, double ratio)
{
    QPen hairline(colour, 1);
    hairline.setCosmetic(true); // one device pixel, and dashes count in device pixels
    if (line.dash > 0)
        hairline.setDashPattern({line.dash * ratio, line.gap * ratio});
    painter.setPen(hairline);
    const double d = (line.width * ratio - 1.0) / ratio;
    const QPointF centre(d / 3, d / 3);
    for (const QPointF& offset : {QPointF(0, 0), QPointF(d, 0), QPointF(0, d)}) {
        const QPointF shift = offset - centre;
        painter.translate(shift);
        painter.drawPolyline(line.points, line.count);
        painter.translate(-shift);
    }
}

} // namespace

QPen solidPen(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

QPen dashedPen(const QColor& colour, double width, double dash, double gap)
{
    QPen pen = solidPen(colour, width);
    const double unit = std::max(width, 1.0);
    pen.setDashPattern({dash / unit, gap / unit});
    return pen;
}

// Qt has a fast path only for lines at most one device pixel wide; a wider
// line is outlined segment by segment first. On a HiDPI screen that made the
// price line and the dashed average (two and 1.6 device pixels) ten times
// dearer than all else on the chart. From 1.5 to 2 device pixels, such a line is
// drawn instead as three hairlines at (0, 0), (d, 0) and (0, d) device
// pixels around its centre, d being the width less one: their union is
// between d + 0.7 and d + 1 pixels across in every direction, as near to a
// round pen as a square nib gets. Where three translucent passes overlapped
// they would show darker, so a translucent line is drawn opaque into a layer
// of its own, laid on at the colour's opacity. Qt strokes the rest: wider
// lines, whose hairlines would leave gaps; narrower ones, whose hairlines
// would overlap by so much that their antialiased edges added up to a
// heavier line; and painters that scale or turn.
void draw(QPainter& painter, const Polyline& line)
{
    const double ratio = painter.device()->devicePixelRatioF();
    const double device = line.width * ratio;
    if (line.count < 2)
        return;
    if (device < 1.5 || device > 2.0 || painter.transform().type() > QTransform::TxTranslate) {
        painter.setPen(line.dash > 0 ? dashedPen(line.colour, line.width, line.dash, line.gap)
                                     : solidPen(line.colour, line.width));
        painter.drawPolyline(line.points, line.count);
        return;
    }
    if (line.colour.alpha() == 255) {
        drawHairlines(painter, line, line.colour, ratio);
        return;
    }
    double left = line.points[0].x(), right = left, top = line.points[0].y(), bottom = top;
    for (int i = 1; i < line.count; ++i) {
        left = std::min(left, line.points[i].x());
        right = std::max(right, line.points[i].x());
        top = std::min(top, line.points[i].y());
        bottom = std::max(bottom, line.points[i].y());
    }
    const QRect area =
        QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-2, -2, 2, 2).toAlignedRect();
    QImage layer(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.translate(-area.topLeft());
        QColor opaque = line.colour;
        opaque.setAlpha(255);
        drawHairlines(layerPainter, line, opaque, ratio);
    }
    const double opacity = painter.opacity();
    painter.setOpacity(opacity * line.colour.alphaF());
    painter.drawImage(area.topLeft(), layer);
    painter.setOpacity(opacity);
}

} // namespace PolylinePainter

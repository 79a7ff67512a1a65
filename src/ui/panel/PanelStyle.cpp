#include "PanelStyle.h"

#include "Palette.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace PanelStyle {

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont f;
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

void setColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

QLabel* label(const QString& text, int pixelSize, const QColor& color, QFont::Weight weight,
              QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font(pixelSize, weight));
    setColor(l, color);
    return l;
}

QFrame* divider(double opacity, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Palette::withOpacity(Palette::cardBorder(), opacity));
    line->setPalette(palette);
    return line;
}

QVBoxLayout* makeTabColumn(QScrollArea* area)
{
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(14);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    return column;
}

QPainterPath beginRoundedCard(QPainter& painter, const QRect& rect, const QColor& fill)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect).adjusted(0.25, 0.25, -0.25, -0.25), 12, 12);
    painter.setClipPath(shape);
    painter.fillRect(rect, fill);
    return shape;
}

void finishRoundedCard(QPainter& painter, const QPainterPath& shape)
{
    painter.setClipping(false);
    painter.setPen(QPen(Palette::cardBorder(), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

} // namespace PanelStyle

#include "PaintedLabel.h"

#include "Palette.h"
#include "PanelStyle.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

using namespace Qt::StringLiterals;

PaintedLabel::PaintedLabel(const QString& text, QWidget* parent)
    : QWidget(parent), m_color(&Palette::primaryText)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(text);
}

void PaintedLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void PaintedLabel::setColor(ColorSource source)
{
    m_color = std::move(source);
    update();
}

void PaintedLabel::setColor(const QColor& color)
{
    setColor(ColorSource([color] { return color; }));
}

QColor PaintedLabel::color() const
{
    return m_color ? m_color() : Palette::primaryText();
}

void PaintedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void PaintedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elide = mode;
    updateGeometry();
    update();
}

QSize PaintedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(m_text)), qCeil(metrics.height())};
}

QSize PaintedLabel::minimumSizeHint() const
{
    if (m_elide == Qt::ElideNone)
        return sizeHint();
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(u"…"_s)), qCeil(metrics.height())};
}

QFont PaintedLabel::pixelFont(int pixelSize, QFont::Weight weight)
{
    return PanelStyle::font(pixelSize, weight);
}

void PaintedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color());
    const QString shown =
        m_elide == Qt::ElideNone ? m_text : fontMetrics().elidedText(m_text, m_elide, width());
    painter.drawText(rect(), int(m_alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void PaintedLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

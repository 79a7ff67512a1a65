#include "IconLabel.h"

#include "Icons.h"
#include "PanelStyle.h"

#include <QPainter>

IconLabel::IconLabel(const QString& name, const QColor& color, int size, int frameWidth,
                     QWidget* parent)
    : QWidget(parent), m_name(name), m_color(color), m_size(size), m_frameWidth(frameWidth)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize IconLabel::sizeHint() const
{
    return {std::max(m_size, m_frameWidth), m_size};
}

void IconLabel::setIcon(const QString& name, const QColor& color)
{
    m_name = name;
    m_color = color;
    update();
}

void IconLabel::paintEvent(QPaintEvent*)
{
    if (m_name.isEmpty())
        return;
    QPainter painter(this);
    const qreal dpr = PanelStyle::devicePixelRatio(painter);
    const QPoint corner((width() - m_size) / 2, (height() - m_size) / 2);
    painter.drawPixmap(corner, Icons::pixmap(m_name, m_color, m_size, dpr));
}

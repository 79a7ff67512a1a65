#include "MarketStatusBadge.h"

#include "Palette.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

MarketStatusBadge::MarketStatusBadge(MarketStatus status, QWidget* parent)
    : QWidget(parent), m_status(status)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text());
}

void MarketStatusBadge::setStatus(MarketStatus status, Closure closure)
{
    if (status != MarketStatus::closed)
        closure = Closure::none;
    if (status == m_status && closure == m_closure)
        return;
    m_status = status;
    m_closure = closure;
    setAccessibleName(text());
    // The words differ in length ("午休" against "数据延迟").
    updateGeometry();
    update();
}

QColor MarketStatusBadge::textColor() const
{
    switch (m_status) {
    case MarketStatus::trading:
        return Palette::brandGold();
    case MarketStatus::delayed:
        return Palette::amber();
    case MarketStatus::break_:
    case MarketStatus::closed:
        break;
    }
    return Palette::withOpacity(Palette::secondaryText(), 0.55);
}

QColor MarketStatusBadge::backgroundColor() const
{
    switch (m_status) {
    case MarketStatus::trading:
        return Palette::withOpacity(Palette::brandGold(), 0.15);
    case MarketStatus::delayed:
        return Palette::withOpacity(Palette::amber(), 0.15);
    case MarketStatus::break_:
    case MarketStatus::closed:
        break;
    }
    return Palette::panelBackground();
}

QFont MarketStatusBadge::badgeFont() const
{
    QFont result = font();
    result.setPixelSize(fontPixelSize);
    result.setWeight(QFont::Medium);
    return result;
}

QSize MarketStatusBadge::sizeHint() const
{
    const QFontMetricsF metrics(badgeFont());
    return {qCeil(metrics.horizontalAdvance(text())) + 2 * horizontalPadding,
            qCeil(metrics.height()) + 2 * verticalPadding};
}

QSize MarketStatusBadge::minimumSizeHint() const
{
    return sizeHint();
}

void MarketStatusBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(backgroundColor());
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);

    painter.setFont(badgeFont());
    painter.setPen(textColor());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

void MarketStatusBadge::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

#include "IconButton.h"

#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"

#include <QEnterEvent>
#include <QEvent>
#include <QPainter>

IconButton::IconButton(const QString& iconName, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), m_iconName(iconName)
{
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFixedSize(frameSize, frameSize);
    setCursor(Qt::PointingHandCursor);
    // A click must not pull the focus out of a text field being edited.
    setFocusPolicy(Qt::TabFocus);
}

void IconButton::setIconName(const QString& name)
{
    m_iconName = name;
    update();
}

QSize IconButton::sizeHint() const
{
    return {frameSize, frameSize};
}

void IconButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.12f));
        painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    }
    const QColor tint = m_hovered ? Palette::primaryText() : Palette::secondaryText();
    const QPixmap picture =
        Icons::pixmap(m_iconName, tint, iconSize, PanelStyle::devicePixelRatio(painter));
    const QPoint origin((width() - iconSize) / 2, (height() - iconSize) / 2);
    painter.drawPixmap(origin, picture);
}

void IconButton::enterEvent(QEnterEvent* event)
{
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void IconButton::leaveEvent(QEvent* event)
{
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void IconButton::changeEvent(QEvent* event)
{
    // A button that gets disabled or hidden under the pointer receives no
    // leave event; it must not come back lit.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setHovered(false);
    QAbstractButton::changeEvent(event);
}

void IconButton::hideEvent(QHideEvent* event)
{
    setHovered(false);
    QAbstractButton::hideEvent(event);
}

void IconButton::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    update();
}

#include "SheetOverlay.h"

#include "FocusOrder.h"
#include "Palette.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

SheetOverlay::SheetOverlay(QWidget* host, QWidget* sheet)
    : QWidget(host), m_host(host), m_sheet(sheet)
{
    setObjectName(QStringLiteral("SheetOverlay"));
    // One sheet at a time: a second one replaces the first.
    if (SheetOverlay* previous = current(host); previous && previous != this)
        previous->dismiss();
    for (QObject* child : host->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget != this && !widget->isWindow() && widget->isEnabled()) {
            widget->setEnabled(false);
            m_disabled.append(widget);
        }
    }
    m_sheet->setParent(this);
    host->installEventFilter(this);
    place();
    show();
    raise();
    m_sheet->show();
    // The keyboard starts in the sheet's first field that shows, where the
    // typing is; a sheet without one starts at its first control.
    const QList<QWidget*> controls = FocusOrder::chain(m_sheet);
    const auto field = std::find_if(controls.cbegin(), controls.cend(), [](QWidget* w) {
        return qobject_cast<QLineEdit*>(w) != nullptr;
    });
    if (field != controls.cend())
        (*field)->setFocus(Qt::OtherFocusReason);
    else if (!controls.isEmpty())
        controls.first()->setFocus(Qt::OtherFocusReason);
}

SheetOverlay* SheetOverlay::current(QWidget* host)
{
    if (!host)
        return nullptr;
    for (QObject* child : host->children()) {
        auto* overlay = qobject_cast<SheetOverlay*>(child);
        if (overlay && !overlay->m_dismissed)
            return overlay;
    }
    return nullptr;
}

void SheetOverlay::dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    if (m_host)
        m_host->removeEventFilter(this);
    for (const QPointer<QWidget>& widget : std::as_const(m_disabled)) {
        if (widget)
            widget->setEnabled(true);
    }
    m_disabled.clear();
    hide();
    // The sheet may still be inside one of its own signal handlers.
    deleteLater();
}

void SheetOverlay::place()
{
    if (!m_host)
        return;
    setGeometry(m_host->rect());
    const QSize size = m_sheet->size().boundedTo(m_host->size());
    m_sheet->setGeometry(
        QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
}

bool SheetOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_host && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void SheetOverlay::keyPressEvent(QKeyEvent* event)
{
    // Escape reaches here only when the sheet did not take it itself.
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SheetOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0, 0, 0, 110));
    QPainterPath shape;
    shape.addRoundedRect(QRectF(m_sheet->geometry()).adjusted(-0.5, -0.5, 0.5, 0.5), cornerRadius,
                         cornerRadius);
    p.fillPath(shape, Palette::panelBackground());
    p.setPen(QPen(Palette::cardBorder(), 1));
    p.drawPath(shape);
}

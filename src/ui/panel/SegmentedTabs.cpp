#include "SegmentedTabs.h"

#include "Palette.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

SegmentedTabs::SegmentedTabs(QStringList labels, Style style, QWidget* parent)
    : QWidget(parent), m_labels(std::move(labels)), m_style(style),
      m_selection(m_labels.isEmpty() ? -1 : 0)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // Reached with Tab; a click selects without taking the focus from a
    // field being typed in.
    setFocusPolicy(Qt::TabFocus);
}

int SegmentedTabs::horizontalPadding() const
{
    return m_style == Style::Compact ? 12 : 16;
}

void SegmentedTabs::setSelection(int index)
{
    if (index < 0 || index >= count() || index == m_selection)
        return;
    m_selection = index;
    update();
    emit selectionChanged(index);
}

QRect SegmentedTabs::segmentRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    // Integer edges from the proportional split, so that the segments tile
    // the row without gaps whatever its width.
    const int left = width() * index / count();
    const int right = width() * (index + 1) / count();
    return {left, 0, right - left, height()};
}

int SegmentedTabs::segmentAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return -1;
    for (int i = 0; i < count(); ++i) {
        if (segmentRect(i).contains(pos))
            return i;
    }
    return -1;
}

QSize SegmentedTabs::sizeHint() const
{
    // Every segment gets the room of the widest label, measured in the
    // selected (heavier) weight so that selecting a segment never makes the
    // row ask for more room.
    const QFontMetricsF metrics(labelFont(true));
    qreal widest = 0;
    for (const QString& label : m_labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const int segment = qCeil(widest) + 2 * horizontalPadding();
    return {segment * int(count()), qCeil(metrics.height()) + 2 * verticalPadding};
}

QSize SegmentedTabs::minimumSizeHint() const
{
    return sizeHint();
}

QFont SegmentedTabs::labelFont(bool selected) const
{
    // The widget's family, at the row's fixed size.
    QFont result = font();
    result.setPixelSize(fontPixelSize);
    result.setWeight(selected ? QFont::Medium : QFont::Normal);
    return result;
}

void SegmentedTabs::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // Half a pixel in, so that the 1 px outline falls on whole pixels.
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(outline, cornerRadius, cornerRadius);
    painter.setClipPath(shape);
    painter.fillPath(shape, Palette::panelBackground());

    if (m_selection >= 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::zebraLight());
        painter.drawRoundedRect(QRectF(segmentRect(m_selection)), cornerRadius, cornerRadius);
    }

    for (int i = 0; i < count(); ++i) {
        const bool selected = i == m_selection;
        painter.setFont(labelFont(selected));
        painter.setPen(labelColor(i));
        const QRect textArea = segmentRect(i).adjusted(horizontalPadding(), verticalPadding,
                                                       -horizontalPadding(), -verticalPadding);
        const QString text =
            painter.fontMetrics().elidedText(m_labels[i], Qt::ElideRight, textArea.width());
        painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine, text);
    }

    painter.setClipping(false);
    painter.setPen(QPen(Palette::zebraLight(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

QColor SegmentedTabs::labelColor(int index) const
{
    // Disabled (an edited rule's type, the panel under a sheet), even the
    // selected segment loses its gold: nothing here answers a click.
    if (!isEnabled())
        return Palette::disabledText();
    if (index == m_selection)
        return Palette::brandGoldBright();
    return index == hovered() ? Palette::primaryText() : Palette::secondaryText();
}

void SegmentedTabs::setHovered(int index)
{
    if (index == m_hovered)
        return;
    m_hovered = index;
    update();
}

void SegmentedTabs::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(segmentAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void SegmentedTabs::leaveEvent(QEvent* event)
{
    setHovered(-1);
    QWidget::leaveEvent(event);
}

void SegmentedTabs::keyPressEvent(QKeyEvent* event)
{
    int next = m_selection;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        next = m_selection - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        next = m_selection + 1;
        break;
    case Qt::Key_Home:
        next = 0;
        break;
    case Qt::Key_End:
        next = count() - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // At either end the selection stays, as in a row of radio buttons that
    // does not wrap.
    setSelection(std::clamp(next, 0, std::max(0, count() - 1)));
    event->accept();
}

void SegmentedTabs::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = segmentAt(event->position().toPoint());
    event->accept();
}

void SegmentedTabs::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // Like a button: the click counts where it ends, and only if it ends on
    // the segment it started on.
    const int released = segmentAt(event->position().toPoint());
    if (released >= 0 && released == m_pressed)
        setSelection(released);
    m_pressed = -1;
    event->accept();
}

void SegmentedTabs::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    if (event->type() == QEvent::EnabledChange) {
        // A pointing hand over a row that cannot be clicked would promise
        // what it does not keep.
        if (isEnabled())
            setCursor(Qt::PointingHandCursor);
        else
            unsetCursor();
        update();
    }
    QWidget::changeEvent(event);
}

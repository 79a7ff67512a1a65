#include "GoldToggle.h"

#include "Palette.h"
#include "PanelStyle.h"

#include <QPainter>

GoldToggle::GoldToggle(QWidget* parent)
    : QAbstractButton(parent), m_knobX(restingKnobX(false)), m_slide(this, "knobX")
{
    setCheckable(true);
    setFixedSize(trackSize);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    m_slide.setDuration(animationMs);
    m_slide.setEasingCurve(PanelStyle::easeInOut());
    connect(this, &QAbstractButton::toggled, this, &GoldToggle::onToggled);
}

qreal GoldToggle::restingKnobX(bool on)
{
    return on ? trackSize.width() - 15 : 2;
}

QSize GoldToggle::sizeHint() const
{
    return trackSize;
}

void GoldToggle::setKnobX(qreal x)
{
    m_knobX = x;
    update();
}

void GoldToggle::onToggled(bool on)
{
    m_slide.stop();
    // Nobody sees a hidden switch slide; it just takes its place.
    if (!isVisible()) {
        setKnobX(restingKnobX(on));
        return;
    }
    // From wherever the knob is, so that a quick second click turns it back
    // mid-way instead of jumping.
    m_slide.setStartValue(m_knobX);
    m_slide.setEndValue(restingKnobX(on));
    m_slide.start();
}

void GoldToggle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const bool on = isChecked();
    const QRectF track(QPointF(0, 0), QSizeF(trackSize));
    const qreal radius = track.height() / 2;
    painter.setBrush(on ? Palette::brandGold()
                        : Palette::withOpacity(Palette::secondaryText(), 0.3));
    painter.drawRoundedRect(track, radius, radius);

    const QRectF knob(m_knobX, (track.height() - knobDiameter) / 2, knobDiameter, knobDiameter);
    painter.setBrush(on ? QColor::fromRgbF(0.13f, 0.15f, 0.16f) : QColor(Qt::white));
    painter.drawEllipse(knob);
}

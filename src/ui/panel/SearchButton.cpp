#include "SearchButton.h"

#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

SearchButton::SearchButton(QWidget* parent) : QAbstractButton(parent), m_turn(this, "angle")
{
    setFixedSize(frameSize, frameSize);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(QStringLiteral("查询名称"));
}

QSize SearchButton::sizeHint() const
{
    return {frameSize, frameSize};
}

void SearchButton::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    update();
}

void SearchButton::setSpinning(bool spinning)
{
    if (m_spinning == spinning)
        return;
    m_spinning = spinning;
    m_turn.stop();
    if (spinning) {
        // Constant speed, from wherever a settling glass happens to be.
        const qreal from = std::fmod(m_angle, 360.0);
        m_turn.setStartValue(from);
        m_turn.setEndValue(from + 360.0);
        m_turn.setDuration(turnMs);
        m_turn.setEasingCurve(QEasingCurve::Linear);
        m_turn.setLoopCount(-1);
    } else {
        // Back to rest the shorter way round.
        qreal from = std::fmod(m_angle, 360.0);
        if (from > 180.0)
            from -= 360.0;
        m_turn.setStartValue(from);
        m_turn.setEndValue(0.0);
        m_turn.setDuration(settleMs);
        m_turn.setEasingCurve(PanelStyle::easeInOut());
        m_turn.setLoopCount(1);
    }
    m_turn.start();
}

void SearchButton::setAngle(qreal angle)
{
    m_angle = angle;
    update();
}

void SearchButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.4);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor glass = Palette::brandGold();
    if (m_highlighted) {
        p.setPen(Qt::NoPen);
        p.setBrush(isDown() ? Palette::brandGoldBright() : Palette::brandGold());
        p.drawRoundedRect(frame, cornerRadius, cornerRadius);
        glass = QColor::fromRgbF(0.13f, 0.15f, 0.16f);
    } else if (underMouse() && isEnabled()) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::withOpacity(Palette::primaryText(), 0.08));
        p.drawRoundedRect(frame, cornerRadius, cornerRadius);
    }
    const QPixmap icon = Icons::pixmap(QStringLiteral("magnifyingglass"), glass, iconSize,
                                       PanelStyle::devicePixelRatio(p));
    p.translate(width() / 2.0, height() / 2.0);
    p.rotate(m_angle);
    p.drawPixmap(QPointF(-iconSize / 2.0, -iconSize / 2.0), icon);
}

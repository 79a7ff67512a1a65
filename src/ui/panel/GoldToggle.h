#pragma once

#include <QAbstractButton>
#include <QPropertyAnimation>

// An on/off switch: a gold pill when on, a faint grey one when off, with a
// round knob that slides across when it flips.
class GoldToggle : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(qreal knobX READ knobX WRITE setKnobX)
public:
    static constexpr QSize trackSize{32, 19};
    static constexpr int knobDiameter = 13;
    static constexpr int animationMs = 150;

    explicit GoldToggle(QWidget* parent = nullptr);

    // The knob's left edge in widget coordinates: 2 when off, track width − 15
    // when on, anywhere between while it slides.
    qreal knobX() const { return m_knobX; }
    static qreal restingKnobX(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setKnobX(qreal x);
    void onToggled(bool on);

    qreal m_knobX;
    QPropertyAnimation m_slide;
};

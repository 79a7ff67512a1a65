#pragma once

#include <QAbstractButton>
#include <QPropertyAnimation>

// The magnifier next to a code field: a 30×30 rounded square. Highlighted
// (filled gold, dark glass) when a code is typed that was not looked up yet;
// while a look-up runs the glass turns, one full turn a second.
class SearchButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(qreal angle READ angle WRITE setAngle)
public:
    static constexpr int frameSize = 30;
    static constexpr int iconSize = 12;
    static constexpr int cornerRadius = 6;
    static constexpr int turnMs = 1000;
    static constexpr int settleMs = 200;

    explicit SearchButton(QWidget* parent = nullptr);

    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    bool isSpinning() const { return m_spinning; }
    void setSpinning(bool spinning);

    // The glass's rotation in degrees, 0 at rest.
    qreal angle() const { return m_angle; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setAngle(qreal angle);

    bool m_highlighted = false;
    bool m_spinning = false;
    qreal m_angle = 0;
    QPropertyAnimation m_turn;
};

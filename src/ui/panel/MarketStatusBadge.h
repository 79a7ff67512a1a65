#pragma once

#include "app/MarketStatus.h"

#include <QWidget>

// A small pill with the state of a market in words: gold while trading,
// amber when the data lags, grey in the lunch break, after the close and on
// a day without trading.
class MarketStatusBadge : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 6;
    static constexpr int horizontalPadding = 6;
    static constexpr int verticalPadding = 1;
    static constexpr int fontPixelSize = 10;

    explicit MarketStatusBadge(MarketStatus status = MarketStatus::closed,
                               QWidget* parent = nullptr);

    MarketStatus status() const { return m_status; }
    // The closure says whether a closed market is closed for the day ("休市").
    void setStatus(MarketStatus status, Closure closure = Closure::none);

    QString text() const { return badgeLabel(m_status, m_closure); }
    QColor textColor() const;
    QColor backgroundColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont badgeFont() const;

    MarketStatus m_status;
    Closure m_closure = Closure::none;
};

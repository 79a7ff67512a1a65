#pragma once

#include "app/MarketStatus.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class MarketStatusBadge;
class PaintedLabel;

// The head of a market card, centred:
//
//        沪金主连 (CNY/g)  [交易中]
//             ¥1004.20
//        +0.85%   更新于 14:32
//
// Price and change are red for a rise and green for a fall.
class PriceHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowSpacing = 4;
    static constexpr int titleSpacing = 6;
    static constexpr int changeSpacing = 16;
    static constexpr int priceFontPixelSize = 34;

    explicit PriceHeader(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    // The badge beside the title; none for std::nullopt.
    void setMarketStatus(std::optional<MarketStatus> status, Closure closure = Closure::none);
    // Already formatted, currency sign and all.
    void setPrice(const QString& price);
    // In percent; also decides the colour of price and change. Absent (the
    // provider has no change): "--", and neither up nor down.
    void setChangePct(std::optional<double> pct);
    // A small note after the change; none for std::nullopt.
    void setSecondary(std::optional<QString> text);

    QString titleText() const;
    bool hasBadge() const;
    MarketStatusBadge* badge() const { return m_badge; }
    QString priceText() const;
    QColor priceColor() const;
    QFont priceFont() const;
    // Empty until setChangePct has been called.
    QString changeText() const;
    QColor changeColor() const;
    bool hasSecondary() const;
    QString secondaryText() const;

private:
    QColor trendColor() const;

    PaintedLabel* m_title;
    MarketStatusBadge* m_badge;
    PaintedLabel* m_price;
    PaintedLabel* m_change;
    PaintedLabel* m_secondary;
    std::optional<double> m_changePct;
};

#pragma once

#include "market/QuoteRecords.h"

#include <QScrollArea>

#include <optional>

class Card;
class HoldingStrip;
class HoldingsStore;
class MarketData;
class PriceHeader;
class QLabel;
class QWidget;
class TrendChart;

// The gold tab: the main contract's price with its change and market state,
// under it what the user holds of gold when there is a holding, and its
// intraday chart with the night session.
class GoldView : public QScrollArea {
    Q_OBJECT
public:
    GoldView(const MarketData& market, const HoldingsStore& holdings, QWidget* parent = nullptr);

    // Reads the figures again; cheap when nothing changed.
    void refresh();

    PriceHeader* header() const { return m_header; }
    // The gold holding's figures; hidden without a holding.
    HoldingStrip* holdingStrip() const { return m_holding; }
    TrendChart* chart() const { return m_chart; }
    bool isShowingLoading() const;
    bool isShowingChart() const;

private:
    const MarketData& m_market;
    const HoldingsStore& m_holdings;
    QWidget* m_loading = nullptr;
    Card* m_priceCard = nullptr;
    PriceHeader* m_header = nullptr;
    HoldingStrip* m_holding = nullptr;
    Card* m_chartCard = nullptr;
    TrendChart* m_chart = nullptr;
    std::optional<TrendData> m_shownTrend;
};

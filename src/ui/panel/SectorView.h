#pragma once

#include "market/QuoteRecords.h"

#include <QScrollArea>

#include <optional>

class Card;
class MarketData;
class PriceHeader;
class StockTable;
class TrendChart;

// The board tab: the current board's index, its intraday chart and its ten
// most traded stocks.
class SectorView : public QScrollArea {
    Q_OBJECT
public:
    explicit SectorView(const MarketData& market, QWidget* parent = nullptr);

    void refresh();

    PriceHeader* header() const { return m_header; }
    StockTable* table() const { return m_table; }
    bool isShowingStocksLoading() const;
    // A refresh has ended without constituents: said, instead of loading.
    bool isShowingNoStocks() const;
    bool isShowingIndex() const;
    bool isShowingChart() const;

private:
    const MarketData& m_market;
    Card* m_indexCard = nullptr;
    PriceHeader* m_header = nullptr;
    Card* m_chartCard = nullptr;
    TrendChart* m_chart = nullptr;
    Card* m_loadingCard = nullptr;
    Card* m_noStocksCard = nullptr;
    StockTable* m_table = nullptr;
    std::optional<TrendData> m_shownTrend;
};

#include "SectorView.h"

#include "Card.h"
#include "LoadingIndicator.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "PriceHeader.h"
#include "StockTable.h"
#include "TrendChart.h"
#include "app/MarketData.h"
#include "market/Format.h"

#include <QLabel>
#include <QVBoxLayout>

SectorView::SectorView(const MarketData& market, QWidget* parent)
    : QScrollArea(parent), m_market(market)
{
    QVBoxLayout* column = PanelStyle::makeTabColumn(this);

    m_header = new PriceHeader;
    m_indexCard = new Card(Card::Kind::Market, m_header);
    column->addWidget(m_indexCard);

    m_chart = new TrendChart(TrendChartMode::aStock);
    m_chartCard = new Card(Card::Kind::Market, m_chart);
    column->addWidget(m_chartCard);

    m_loadingCard =
        new Card(Card::Kind::Market, new LoadingIndicator(QStringLiteral("加载成分股…"), 0));
    m_loadingCard->setFixedHeight(60);
    column->addWidget(m_loadingCard);
    auto* noStocks =
        PanelStyle::label(QStringLiteral("暂无成分股数据"), 12, Palette::secondaryText());
    noStocks->setAlignment(Qt::AlignCenter);
    m_noStocksCard = new Card(Card::Kind::Market, noStocks);
    m_noStocksCard->setFixedHeight(60);
    column->addWidget(m_noStocksCard);

    m_table = new StockTable;
    column->addWidget(m_table);
    column->addStretch(1);
    // A board that failed with nothing to show says so instead of loading.
    for (auto signal : {&MarketData::boardChanged, &MarketData::marketStatesChanged,
                        &MarketData::progressChanged, &MarketData::messagesChanged})
        connect(&m_market, signal, this, &SectorView::refresh);
    refresh();
}

void SectorView::refresh()
{
    const auto& sector = m_market.sector();
    m_indexCard->setVisible(sector.has_value());
    if (sector) {
        m_header->setTitle(sector->name + QStringLiteral(" 板块指数"));
        const MarketState state = m_market.stockMarketState();
        m_header->setMarketStatus(state.status, state.closure);
        m_header->setPrice(Format::price(sector->index));
        m_header->setChangePct(sector->changePct);
        m_header->setSecondary(std::nullopt);
    }
    const auto& trend = m_market.trendData();
    m_chartCard->setVisible(trend.has_value());
    if (trend && trend != m_shownTrend) {
        m_chart->setTrend(*trend);
        m_shownTrend = trend;
    }
    const auto& stocks = m_market.sectorStocks();
    // Once a refresh has ended without them, they are not coming with this one.
    const bool refreshed =
        !m_market.isLoading() && (m_market.lastUpdate() || m_market.errorMessage());
    m_loadingCard->setVisible(stocks.isEmpty() && !refreshed);
    m_noStocksCard->setVisible(stocks.isEmpty() && refreshed);
    m_table->setVisible(!stocks.isEmpty());
    m_table->setStocks(stocks);
}

bool SectorView::isShowingStocksLoading() const
{
    return !m_loadingCard->isHidden();
}

bool SectorView::isShowingNoStocks() const
{
    return !m_noStocksCard->isHidden();
}

bool SectorView::isShowingIndex() const
{
    return !m_indexCard->isHidden();
}

bool SectorView::isShowingChart() const
{
    return !m_chartCard->isHidden();
}

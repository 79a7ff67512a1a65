#include "GoldView.h"

#include "Card.h"
#include "HoldingStrip.h"
#include "LoadingIndicator.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "PriceHeader.h"
#include "TrendChart.h"
#include "app/MarketData.h"
#include "config/HoldingsStore.h"
#include "market/Format.h"
#include "market/Money.h"

#include <QVBoxLayout>

GoldView::GoldView(const MarketData& market, const HoldingsStore& holdings, QWidget* parent)
    : QScrollArea(parent), m_market(market), m_holdings(holdings)
{
    QVBoxLayout* column = PanelStyle::makeTabColumn(this);

    m_loading = new LoadingIndicator(QStringLiteral("加载中…"));
    column->addSpacing(0);
    column->addWidget(m_loading);

    m_header = new PriceHeader;
    m_header->setTitle(QStringLiteral("沪金主连 (CNY/g)"));
    m_priceCard = new Card(Card::Kind::Market, m_header);
    m_holding = new HoldingStrip;
    m_priceCard->contentLayout()->addSpacing(10);
    m_priceCard->contentLayout()->addWidget(m_holding);
    column->addWidget(m_priceCard);

    m_chart = new TrendChart(TrendChartMode::shfeGold);
    m_chartCard = new Card(Card::Kind::Market, m_chart);
    column->addWidget(m_chartCard);
    column->addStretch(1);
    for (auto signal : {&MarketData::goldChanged, &MarketData::marketStatesChanged})
        connect(&m_market, signal, this, &GoldView::refresh);
    connect(&m_holdings, &HoldingsStore::holdingsChanged, this, &GoldView::refresh);
    refresh();
}

void GoldView::refresh()
{
    const auto& gold = m_market.gold();
    // Before the first quote the tab shows only the loading state, even when
    // a trend already arrived.
    m_loading->setVisible(!gold);
    m_priceCard->setVisible(gold.has_value());
    m_chartCard->setVisible(gold && m_market.goldTrendData());
    if (!gold)
        return;
    const MarketState state = m_market.goldMarketState();
    m_header->setMarketStatus(state.status, state.closure);
    m_header->setPrice(QStringLiteral("¥") + Format::price(gold->priceCNY));
    m_header->setChangePct(gold->changePct);
    m_header->setSecondary(std::nullopt);
    const Holdings& holdings = m_holdings.holdings();
    m_holding->setVisible(holdings.gold.has_value());
    if (holdings.gold) {
        const Profit::Figures figures = Profit::gold(*holdings.gold, *gold);
        const bool hidden = holdings.hideAmounts;
        m_holding->setCells(HoldingStrip::positionCells(
            QStringLiteral("持有(克)"),
            Format::grouped(Money::text(holdings.gold->quantity, Profit::gramDecimals)), figures,
            hidden,
            {HoldingStrip::Cell{.caption = QStringLiteral("持有金额"),
                                .tag = {},
                                .value = Profit::amount(figures.value, hidden),
                                .color = Palette::primaryText()}}));
    }
    const auto& trend = m_market.goldTrendData();
    if (trend && trend != m_shownTrend) {
        m_chart->setTrend(*trend);
        m_shownTrend = trend;
    }
}

bool GoldView::isShowingLoading() const
{
    return !m_loading->isHidden();
}

bool GoldView::isShowingChart() const
{
    return !m_chartCard->isHidden();
}

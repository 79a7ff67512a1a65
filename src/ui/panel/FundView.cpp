#include "FundView.h"

#include "FundCard.h"
#include "HoldingsSummaryCard.h"
#include "IconLabel.h"
#include "LoadingIndicator.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "app/MarketData.h"
#include "config/ConfigStore.h"
#include "config/HoldingsStore.h"
#include "market/Format.h"
#include "market/Money.h"

#include <QLabel>
#include <QVBoxLayout>

FundView::FundView(const MarketData& market, const ConfigStore& watchList,
                   const HoldingsStore& holdings, QWidget* parent)
    : QWidget(parent), m_market(market), m_watchList(watchList), m_holdings(holdings)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    // Nothing to show: loading, or the network error of the last refresh.
    m_empty = new QWidget;
    auto* emptyColumn = new QVBoxLayout(m_empty);
    emptyColumn->setSpacing(8);
    emptyColumn->addStretch(1);
    m_loading = new LoadingIndicator(QStringLiteral("加载基金数据…"), 0);
    emptyColumn->addWidget(m_loading);
    m_noFunds =
        PanelStyle::label(QStringLiteral("还没有自选基金\n点右上角的齿轮，在“自选基金”中添加"), 12,
                          Palette::secondaryText());
    m_noFunds->setAlignment(Qt::AlignCenter);
    emptyColumn->addWidget(m_noFunds);
    m_error = new QWidget;
    auto* errorColumn = new QVBoxLayout(m_error);
    errorColumn->setSpacing(8);
    errorColumn->addWidget(
        new IconLabel(QStringLiteral("wifi.exclamationmark"), Palette::secondaryText(), 22), 0,
        Qt::AlignHCenter);
    m_errorText = PanelStyle::label(QString(), 11, Palette::secondaryText());
    m_errorText->setWordWrap(true);
    m_errorText->setAlignment(Qt::AlignCenter);
    errorColumn->addWidget(m_errorText, 0, Qt::AlignHCenter);
    emptyColumn->addWidget(m_error);
    emptyColumn->addStretch(1);
    layout->addWidget(m_empty);

    m_scroll = new QScrollArea;
    m_cardColumn = PanelStyle::makeTabColumn(m_scroll);
    m_summary = new HoldingsSummaryCard;
    m_summary->hide();
    m_cardColumn->addWidget(m_summary);
    m_cardColumn->addStretch(1);
    layout->addWidget(m_scroll);
    // The summary counts gold held too.
    for (auto signal :
         {&MarketData::fundsChanged, &MarketData::goldChanged, &MarketData::messagesChanged})
        connect(&m_market, signal, this, &FundView::refresh);
    connect(&m_watchList, &ConfigStore::configChanged, this, &FundView::refresh);
    connect(&m_holdings, &HoldingsStore::holdingsChanged, this, &FundView::refresh);
    refresh();
}

void FundView::refresh()
{
    const auto& funds = m_market.funds();
    const auto& error = m_market.fundErrorMessage();
    const bool noneWatched = m_watchList.config().funds.isEmpty();
    m_empty->setVisible(funds.isEmpty());
    m_scroll->setVisible(!funds.isEmpty());
    // Nothing would ever arrive: say how to add one rather than load for ever.
    m_noFunds->setVisible(funds.isEmpty() && noneWatched);
    m_loading->setVisible(funds.isEmpty() && !noneWatched && !error);
    m_error->setVisible(funds.isEmpty() && !noneWatched && error.has_value());
    m_errorText->setText(error.value_or(QString()));

    const Holdings& holdings = m_holdings.holdings();
    const Profit::Summary summary = m_market.portfolio(m_watchList.config(), m_holdings.holdings());
    m_summary->setVisible(!summary.isEmpty());
    m_summary->setSummary(summary, holdings.hideAmounts);

    // One card per fund, reused across refreshes, below the summary.
    while (m_cards.size() > funds.size())
        delete m_cards.takeLast();
    while (m_cards.size() < funds.size()) {
        auto* card = new FundCard;
        m_cardColumn->insertWidget(int(m_cards.size()) + 1, card);
        m_cards.append(card);
    }
    for (qsizetype i = 0; i < funds.size(); ++i) {
        m_cards[i]->setFund(funds[i], m_market.fundStockChanges());
        m_cards[i]->setTrust(m_market.estimateTrust(funds[i]));
        const auto position = holdings.fund(funds[i].quote.code);
        m_cards[i]->setHolding(
            position ? HoldingStrip::positionCells(
                           QStringLiteral("份额"),
                           Format::grouped(Money::text(position->quantity, Profit::shareDecimals)),
                           Profit::fund(*position, funds[i]), holdings.hideAmounts)
                     : QList<HoldingStrip::Cell>{});
    }
}

bool FundView::isShowingLoading() const
{
    return !m_empty->isHidden() && !m_loading->isHidden();
}

bool FundView::isShowingNoFunds() const
{
    return !m_empty->isHidden() && !m_noFunds->isHidden();
}

bool FundView::isShowingError() const
{
    return !m_empty->isHidden() && !m_error->isHidden();
}

QString FundView::errorText() const
{
    return m_errorText->text();
}

#pragma once

#include <QScrollArea>

class FundCard;
class HoldingsSummaryCard;
class LoadingIndicator;
class ConfigStore;
class HoldingsStore;
class MarketData;
class QLabel;
class QVBoxLayout;

// The fund tab: what the user holds added up, when there is a holding, then
// one card per watched fund, or the loading / network-error state while there
// are none.
class FundView : public QWidget {
    Q_OBJECT
public:
    FundView(const MarketData& market, const ConfigStore& watchList, const HoldingsStore& holdings,
             QWidget* parent = nullptr);

    void refresh();

    QList<FundCard*> cards() const { return m_cards; }
    // Shown while the user holds anything.
    HoldingsSummaryCard* summaryCard() const { return m_summary; }
    bool isShowingLoading() const;
    bool isShowingError() const;
    // Nothing watched: the tab says how to add a fund instead of loading.
    bool isShowingNoFunds() const;
    QString errorText() const;

private:
    const MarketData& m_market;
    const ConfigStore& m_watchList;
    const HoldingsStore& m_holdings;
    QWidget* m_empty = nullptr;
    QLabel* m_noFunds = nullptr;
    LoadingIndicator* m_loading = nullptr;
    QWidget* m_error = nullptr;
    QLabel* m_errorText = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_cardColumn = nullptr;
    HoldingsSummaryCard* m_summary = nullptr;
    QList<FundCard*> m_cards;
};

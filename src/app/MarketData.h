#pragma once

#include "MarketStatus.h"
#include "Tab.h"
#include "calendar/TradingCalendar.h"
#include "config/EstimateHistory.h"
#include "config/Holdings.h"
#include "config/WatchConfig.h"
#include "market/EstimateLog.h"
#include "market/Profit.h"
#include "market/QuoteRecords.h"

#include <QDateTime>
#include <QMap>
#include <QObject>

#include <array>
#include <functional>
#include <optional>

// The independent parts of a refresh cycle. Each publishes when it succeeds
// and keeps its last good data, with a message of its own, when it fails.
enum class RefreshPart { gold, board, overview, funds };

// What the app last learnt of the markets: the figures of each part of the
// refresh cycle, their messages, the header's countdown and the trading
// calendar with the closures the quotes revealed. The refresh cycle writes
// it; views read it and listen only to the signals of what they show.
class MarketData : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    MarketData(Clock now, TradingCalendar calendar, QObject* parent = nullptr);

    // Gold: the quote and its trend, night session included.
    const std::optional<GoldQuote>& gold() const { return m_gold; }
    const std::optional<TrendData>& goldTrendData() const { return m_goldTrendData; }
    // The board shown on the board tab, and its figures.
    const QString& currentSectorCode() const { return m_currentSectorCode; }
    const std::optional<SectorQuote>& sector() const { return m_sector; }
    const QList<StockQuote>& sectorStocks() const { return m_sectorStocks; }
    const std::optional<TrendData>& trendData() const { return m_trendData; }
    // Every watched board's quote; the last good figure where an answer had
    // a placeholder.
    const QList<SectorQuote>& allSectors() const { return m_allSectors; }
    // The overview as last answered, placeholders absent: alerts judge only
    // figures the provider had, never one carried over from an earlier answer.
    const QList<SectorQuote>& answeredSectors() const { return m_answeredSectors; }
    const QList<FundDetail>& funds() const { return m_funds; }
    const QMap<QString, double>& fundStockChanges() const { return m_fundStockChanges; }
    // Each watched fund's recent estimates and their errors.
    const EstimateHistory& estimateHistory() const { return m_estimateHistory; }
    // How far to trust the fund's estimate as last refreshed: coverage of its
    // holdings, latest published date, that day's error and the mean error.
    EstimateTrust estimateTrust(const FundDetail& fund) const;
    // What the holdings are worth and made by these figures.
    Profit::Summary portfolio(const WatchConfig& watch, const Holdings& holdings) const;

    // Why a part kept its last data, naming what failed; none while it is fresh.
    const std::optional<QString>& message(RefreshPart part) const;
    // The messages of gold, the board and the overview, a line each.
    std::optional<QString> errorMessage() const;
    const std::optional<QString>& fundErrorMessage() const { return message(RefreshPart::funds); }
    // The messages a tab shows in the panel's message line.
    QStringList messagesFor(Tab tab) const;

    // When a part last brought fresh data.
    const std::optional<QDateTime>& lastUpdate() const { return m_lastUpdate; }
    // A full cycle is on its way.
    bool isLoading() const { return m_isLoading; }
    // The header: seconds to the next refresh, or the closed markets' text.
    int countdown() const { return m_countdown; }
    bool allMarketsClosed() const { return m_allMarketsClosed; }
    const QString& panelStatusText() const { return m_panelStatusText; }

    // Read the clock at every call.
    MarketStatus goldMarketStatus() const { return goldMarketState().status; }
    MarketStatus stockMarketStatus() const { return stockMarketState().status; }
    MarketState goldMarketState() const;
    MarketState stockMarketState() const;
    bool isAnyMarketOpen() const;
    bool isGoldDataStale() const;
    // The closure table, with the days the quotes showed closed.
    const TradingCalendar& calendar() const { return m_calendar; }
    // For the panel's message line: a market found closed today from the
    // quotes alone, a date past the closure table.
    QStringList calendarNotes() const;
    QDateTime now() const { return m_now(); }

    // The writers, for the refresh cycle.
    void setCurrentSectorCode(const QString& code);
    void setGold(GoldQuote quote, TrendData trend);
    void setBoard(const SectorQuote& answered, const QList<StockQuote>& stocks, TrendData trend);
    void setOverview(QList<SectorQuote> answered);
    // With one board watched its own quote is the overview.
    void setOverviewFromBoard();
    // Drops the funds no longer watched.
    void keepFunds(const QStringList& watched);
    void setFunds(QList<FundDetail> funds, QMap<QString, double> stockChanges);
    void setMessage(RefreshPart part, std::optional<QString> message);
    void setLoading(bool loading);
    void setLastUpdate(const QDateTime& when);
    void setCountdown(int seconds, bool allMarketsClosed, const QString& text);
    // A trading day whose answers hold no minute of it well into its session
    // closes that market for the rest of the day. True when it found a
    // closure the calendar did not know.
    bool noteClosuresInQuotes();
    // The funds judged again, by the calendar as it stands now.
    void rejudgeFunds(const QStringList& watched);
    // Whether each fund's value is the day's, and its estimate when not.
    void judgeFunds(QList<FundDetail>& details, const QMap<QString, double>& changes,
                    const QDateTime& now) const;
    // Notes the day's estimates of these funds.
    void noteEstimates(const QList<FundDetail>& details, const QStringList& watched,
                       const QDateTime& now);

signals:
    void goldChanged();
    void boardChanged();
    void overviewChanged();
    void fundsChanged();
    void messagesChanged();
    // isLoading() or lastUpdate() moved.
    void progressChanged();
    // The header's countdown or text moved.
    void countdownChanged();
    // A market's state (trading, break, closed and why) moved.
    void marketStatesChanged();

private:
    Clock m_now;
    TradingCalendar m_calendar;

    std::optional<GoldQuote> m_gold;
    std::optional<TrendData> m_goldTrendData;
    QString m_currentSectorCode;
    std::optional<SectorQuote> m_sector;
    // The current board's quote as last answered, placeholders absent.
    SectorQuote m_answeredBoard;
    QList<StockQuote> m_sectorStocks;
    std::optional<TrendData> m_trendData;
    QList<SectorQuote> m_allSectors;
    QList<SectorQuote> m_answeredSectors;
    QList<FundDetail> m_funds;
    QMap<QString, double> m_fundStockChanges;
    EstimateHistory m_estimateHistory;
    std::array<std::optional<QString>, 4> m_messages;
    std::optional<QDateTime> m_lastUpdate;
    bool m_isLoading = false;
    int m_countdown = 30;
    bool m_allMarketsClosed = false;
    QString m_panelStatusText;
    // The markets' states at the last countdown.
    std::pair<MarketState, MarketState> m_shownStatus;
};

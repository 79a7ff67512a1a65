#pragma once

#include "MarketData.h"
#include "market/CancelToken.h"
#include "market/FundService.h"
#include "market/GoldService.h"
#include "market/SectorService.h"

#include <QCoroTask>
#include <QObject>

#include <chrono>
#include <functional>

class ConfigStore;
class QTimer;

// Fetches what the watch list asks for and writes it into the market data:
// gold, the current board, the board overview and the funds, each a part
// of its own that publishes when it succeeds and keeps its last good data
// with a message when it fails. Runs every 30 s while a market is open and
// sleeps, one wake-up a minute, while every market is closed.
class RefreshCycle : public QObject {
    Q_OBJECT
public:
    static inline const QString defaultSectorCode = QStringLiteral("BK0475");

    // Which parts of a cycle brought fresh data.
    struct Fresh {
        bool gold = false;
        bool board = false;
        bool overview = false;
        bool funds = false;
    };

    RefreshCycle(MarketData& market, const ConfigStore& watchList,
                 std::chrono::milliseconds timeout, std::chrono::milliseconds interval,
                 QObject* parent = nullptr);
    ~RefreshCycle() override;

    // The board to show: `current` while the watch list has it, else the
    // list's first board, else the default one.
    static QString boardToShow(const WatchConfig& watch, const QString& current);

    // The full cycle: all parts at once; dropped while another cycle runs.
    // The task never throws.
    QCoro::Task<void> refresh();
    // The parts; each is true when it published fresh data.
    QCoro::Task<bool> refreshGold();
    // Only the quote, stocks and trend of one board; a newer call drops the
    // older one's answers.
    QCoro::Task<bool> refreshBoard(QString code);
    QCoro::Task<bool> refreshOverview();
    QCoro::Task<bool> refreshFunds();

    // The board picked is the board shown: its data come now, not with the
    // next cycle.
    void selectBoard(const QString& code);
    // After the watch list changed: the current board again if it is gone,
    // else a full cycle for what was added.
    void followWatchList();

    // A cycle, or a board's own refresh, is on its way.
    bool isRefreshing() const { return m_cycleRunning || !m_boardCancel->isCancelled(); }
    std::chrono::milliseconds requestTimeout() const { return m_timeout; }
    std::chrono::milliseconds refreshInterval() const { return m_interval; }

    // The timers: a first cycle now, then every interval while a market is
    // open. `panelShown` says whether the panel's header shows the countdown.
    void start(std::function<bool()> panelShown);
    // Runs the refresh and the countdown only while they have work: with
    // every market closed and the panel shut, one wake-up a minute.
    void scheduleTimers();
    // Whether the timers were started, and which of them run now.
    bool timersRunning(bool* refreshing, bool* counting) const;
    // What the two timers do on each tick.
    void refreshTick();
    void countdownTick();

signals:
    // A full cycle ended, after the market data were all written.
    void finished(RefreshCycle::Fresh fresh);

private:
    // The one way a failure becomes a message: what failed, then why.
    static QString failureMessage(const QString& what, const std::exception_ptr& error,
                                  bool lastDataShown = true);
    QStringList watchedFunds() const;
    QString sectorName(const QString& code) const;
    int refreshSeconds() const;

    MarketData& m_market;
    const ConfigStore& m_watchList;
    std::chrono::milliseconds m_timeout;
    std::chrono::milliseconds m_interval;
    GoldService m_goldService;
    SectorService m_sectorService;
    FundService m_fundService;

    std::function<bool()> m_panelShown;
    QTimer* m_timer = nullptr;
    QTimer* m_countdownTimer = nullptr;
    QTimer* m_wakeTimer = nullptr;
    // Every market was closed at the last look: the refresh timer stands.
    bool m_asleep = false;
    bool m_cycleRunning = false;
    // The running board refresh's token; cancelled once it is done or replaced.
    CancelHandle m_boardCancel = CancelToken::create();
    QString m_boardCode;
    // Cancelled when the cycle goes away, so no request outlives it.
    CancelHandle m_lifetime = CancelToken::create();
};

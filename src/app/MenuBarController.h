#pragma once

#include "MarketStatus.h"
#include "Tab.h"
#include "alerts/AlertEngine.h"
#include "calendar/TradingCalendar.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"
#include "config/EstimateHistory.h"
#include "config/HoldingsStore.h"
#include "market/FundService.h"
#include "market/GoldService.h"
#include "market/SectorService.h"
#include "update/UpdateChecker.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

class AlertNotifier;
class PanelHost;
class StatusItem;

// The independent parts of a refresh cycle. Each publishes when it succeeds
// and keeps its last good data, with a message of its own, when it fails.
enum class RefreshPart { gold, board, overview, funds };

// The one central object: owns the services, the stores and the update
// checker, runs the refresh cycle and publishes what it fetched. Everything
// lives on the main thread; `changed()` is emitted after every change of a
// published field, and views re-render on it.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    struct Options {
        Clock now; // default: CycleSettings::clock(), the system clock unless overridden
        std::chrono::milliseconds timeout = NetworkClient::defaultTimeout; // per request
        bool startTimers = true; // the 30 s / 1 s timers and the update schedule
        // The refresh timer's interval; default: CycleSettings::refreshInterval(), 30 s
        // unless overridden.
        std::optional<std::chrono::milliseconds> refreshInterval = std::nullopt;
        // Trading days and hours; default: the built-in closure table.
        std::optional<TradingCalendar> calendar = std::nullopt;
    };

    static inline const QString defaultSectorCode = QStringLiteral("BK0475");

    explicit MenuBarController(Options options, QObject* parent = nullptr);
    MenuBarController() : MenuBarController(Options{}) {}
    ~MenuBarController() override;

    // The desktop side, attached once by the application (absent in the
    // command-line modes).
    void attachStatusItem(StatusItem* item);
    void attachPanel(PanelHost* panel);
    void setNotifier(AlertNotifier* notifier);

    // Published state.
    const std::optional<GoldQuote>& gold() const { return m_gold; }
    const std::optional<QDateTime>& lastUpdate() const { return m_lastUpdate; }
    bool isLoading() const { return m_isLoading; }
    // Why a part kept its last data, naming what failed; none while it is fresh.
    const std::optional<QString>& message(RefreshPart part) const;
    // The messages of gold, the board and the overview, a line each.
    std::optional<QString> errorMessage() const;
    const std::optional<QString>& fundErrorMessage() const { return message(RefreshPart::funds); }
    // The messages a tab shows in the panel's message line.
    QStringList messagesFor(Tab tab) const;
    // The notifier's alerts that no notification channel could show.
    QStringList undeliveredAlerts() const;
    const std::optional<SectorQuote>& sector() const { return m_sector; }
    const QList<StockQuote>& sectorStocks() const { return m_sectorStocks; }
    const QList<FundDetail>& funds() const { return m_funds; }
    const QMap<QString, double>& fundStockChanges() const { return m_fundStockChanges; }
    // Each watched fund's recent estimates and their errors, noted at every
    // successful fund refresh.
    const EstimateHistory& estimateHistory() const { return m_estimateHistory; }
    // How far to trust the fund's estimate as last refreshed: coverage of its
    // holdings, latest published date, that day's error and the mean error.
    EstimateTrust estimateTrust(const FundDetail& fund) const;
    ConfigStore& configStore() { return *m_configStore; }
    // The user's own holdings, and what they are worth and made by the
    // figures as last refreshed.
    HoldingsStore& holdingsStore() { return *m_holdingsStore; }
    const HoldingsStore& holdingsStore() const { return *m_holdingsStore; }
    Profit::Summary portfolio() const;
    const QList<SectorQuote>& allSectors() const { return m_allSectors; }
    const QString& currentSectorCode() const { return m_currentSectorCode; }
    void setCurrentSectorCode(const QString& code);
    const std::optional<TrendData>& trendData() const { return m_trendData; }
    const std::optional<TrendData>& goldTrendData() const { return m_goldTrendData; }
    AlertConfig& alertConfig() { return *m_alertConfig; }
    int countdown() const { return m_countdown; }
    bool allMarketsClosed() const { return m_allMarketsClosed; }
    const QString& panelStatusText() const { return m_panelStatusText; }
    const std::optional<Tab>& pendingTab() const { return m_pendingTab; }
    void setPendingTab(std::optional<Tab> tab);
    UpdateChecker& updateChecker() { return *m_updateChecker; }
    // A cycle, or a board's own refresh, is on its way.
    bool isRefreshing() const { return m_cycleRunning || !m_boardCancel->isCancelled(); }
    // The text last put on the status item.
    const QString& title() const { return m_title; }
    // What the last alert evaluation did: rule ids fired and re-armed.
    const QStringList& lastFired() const { return m_lastFired; }
    const QStringList& lastReset() const { return m_lastReset; }

    // Read the clock at every call.
    MarketStatus goldMarketStatus() const { return goldMarketState().status; }
    MarketStatus stockMarketStatus() const { return stockMarketState().status; }
    MarketState goldMarketState() const;
    MarketState stockMarketState() const;
    bool isGoldDataStale() const;
    // The closure table, with the days the quotes showed closed.
    const TradingCalendar& calendar() const { return m_calendar; }
    // For the panel's message line: a market found closed today from the
    // quotes alone, a date past the closure table.
    QStringList calendarNotes() const;
    QDateTime now() const { return m_now(); }
    // The time-out of each request, for whatever else the app asks the
    // provider (the settings' code look-up).
    std::chrono::milliseconds requestTimeout() const { return m_timeout; }

    // The full refresh cycle: gold, the current board, the overview and the
    // funds, all at once; dropped while another cycle runs. The task never
    // throws.
    QCoro::Task<void> refresh();
    QCoro::Task<void> refreshNow() { return refresh(); }
    // Only the quote, stocks and trend of one board; a newer call drops the
    // older one's answers.
    QCoro::Task<void> refreshSector(QString code);
    // The parts; each is true when it published fresh data.
    QCoro::Task<bool> refreshGold();
    QCoro::Task<bool> refreshBoard(QString code);
    QCoro::Task<bool> refreshOverview();
    QCoro::Task<bool> refreshFunds();

    void startTimer();
    void startCountdownTimer();
    // Runs the 30 s refresh and the 1 s countdown only while they have work:
    // with every market closed and the panel shut, one wake-up a minute.
    void scheduleTimers();
    // Whether the timers were started, and which of them run now.
    bool timersRunning(bool* refreshing, bool* counting) const;
    void updateStatusTitle();
    void handleNotificationTap(const QString& ruleId);

    // What the two timers do on each tick.
    void refreshTick();
    void countdownTick();

    // Status item clicks and the panel.
    void handleLeftClick();
    void handleRightClick();
    void showPanel();
    void quitApp();

    std::chrono::milliseconds refreshInterval() const { return m_refreshInterval; }

signals:
    void changed();
    // The countdown or the market texts of the panel's header moved.
    void countdownChanged();
    void quitRequested();
    // A full refresh ended, successfully or not; emitted after the title,
    // the alerts and the published state are all up to date.
    void refreshFinished();

private:
    // Which parts of the cycle that just ended brought fresh data.
    struct Fresh {
        bool gold = false;
        bool board = false;
        bool overview = false;
        bool funds = false;
    };
    void checkAlerts(Fresh fresh);
    // The one way a failure becomes a message: what failed, then why.
    static QString failureMessage(const QString& what, const std::exception_ptr& error,
                                  bool lastDataShown = true);
    void setMessage(RefreshPart part, std::optional<QString> message);
    // A part that has nothing to do this cycle.
    static QCoro::Task<bool> declined();
    void updateToolTip();
    bool isAnyMarketOpen() const;
    QRect anchorRect() const;
    int refreshSeconds() const;
    QString sectorName(const QString& code) const;
    void publish() { emit changed(); }
    // A trend that holds nothing of a trading day well into its session
    // closes that market for the rest of the day.
    // True when it found a closure the calendar did not know.
    bool noteClosuresInQuotes();
    // Whether each fund's value is the day's, and its estimate when not.
    void judgeFunds(QList<FundDetail>& details, const QMap<QString, double>& changes,
                    const QDateTime& now) const;

    Clock m_now;
    TradingCalendar m_calendar;
    std::chrono::milliseconds m_timeout;
    bool m_startTimers;
    std::chrono::milliseconds m_refreshInterval;

    GoldService m_service;
    SectorService m_sectorService;
    FundService m_fundService;

    std::optional<GoldQuote> m_gold;
    std::optional<QDateTime> m_lastUpdate;
    bool m_isLoading = false;
    std::array<std::optional<QString>, 4> m_messages;
    std::optional<SectorQuote> m_sector;
    // The current board's quote as last answered, placeholders absent.
    SectorQuote m_answeredBoard;
    QList<StockQuote> m_sectorStocks;
    QList<FundDetail> m_funds;
    QMap<QString, double> m_fundStockChanges;
    EstimateHistory m_estimateHistory;
    ConfigStore* m_configStore = nullptr;
    HoldingsStore* m_holdingsStore = nullptr;
    QList<SectorQuote> m_allSectors;
    // The overview as last answered, placeholders absent: alerts judge only
    // figures the provider had, never one carried over from an earlier answer.
    QList<SectorQuote> m_answeredSectors;
    QString m_currentSectorCode;
    std::optional<TrendData> m_trendData;
    std::optional<TrendData> m_goldTrendData;
    AlertConfig* m_alertConfig = nullptr;
    int m_countdown = 30;
    bool m_allMarketsClosed = false;
    QString m_panelStatusText;
    std::optional<Tab> m_pendingTab;
    UpdateChecker* m_updateChecker = nullptr;

    QPointer<StatusItem> m_statusItem;
    QPointer<PanelHost> m_panel;
    // When the panel last closed itself on a click outside.
    std::optional<QDateTime> m_lastOutsideDismissal;
    QPointer<AlertNotifier> m_notifier;
    QTimer* m_timer = nullptr;
    QTimer* m_countdownTimer = nullptr;
    QTimer* m_wakeTimer = nullptr;
    // Every market was closed at the last look: the refresh timer stands.
    bool m_asleep = false;
    // The markets' states at the last countdown tick.
    std::pair<MarketState, MarketState> m_shownStatus;
    bool m_cycleRunning = false;
    // The running board refresh's token; cancelled once it is done or replaced.
    CancelHandle m_boardCancel = CancelToken::create();
    QString m_boardCode;
    QString m_title = QStringLiteral("--");
    QStringList m_lastFired;
    QStringList m_lastReset;
    // Cancelled when the controller goes away, so no request outlives it.
    CancelHandle m_lifetime = CancelToken::create();
};

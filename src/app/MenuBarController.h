#pragma once

#include "MarketStatus.h"
#include "Tab.h"
#include "alerts/AlertEngine.h"
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

#include <functional>
#include <optional>

class AlertNotifier;
class PanelHost;
class StatusItem;

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
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    const std::optional<QString>& fundErrorMessage() const { return m_fundErrorMessage; }
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
    bool isRefreshing() const { return m_isRefreshing; }
    // The text last put on the status item.
    const QString& title() const { return m_title; }
    // What the last alert evaluation did: rule ids fired and re-armed.
    const QStringList& lastFired() const { return m_lastFired; }
    const QStringList& lastReset() const { return m_lastReset; }

    // Read the clock at every call.
    MarketStatus goldMarketStatus() const;
    MarketStatus stockMarketStatus() const;
    bool isGoldDataStale() const;
    QDateTime now() const { return m_now(); }
    // The time-out of each request, for whatever else the app asks the
    // provider (the settings' code look-up).
    std::chrono::milliseconds requestTimeout() const { return m_timeout; }

    // The full refresh cycle; dropped while another refresh runs. The task
    // never throws.
    QCoro::Task<void> refresh();
    QCoro::Task<void> refreshNow() { return refresh(); }
    // Only the quote, stocks and trend of one board.
    QCoro::Task<void> refreshSector(QString code);
    QCoro::Task<void> refreshFunds();

    void startTimer();
    void startCountdownTimer();
    void updateStatusTitle();
    void checkAlerts();
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
    void quitRequested();
    // A full refresh ended, successfully or not; emitted after the title,
    // the alerts and the published state are all up to date.
    void refreshFinished();

private:
    void finishRefresh(const std::exception_ptr& error);
    void updateToolTip();
    int refreshSeconds() const;
    QString sectorName(const QString& code) const;
    void publish() { emit changed(); }

    Clock m_now;
    std::chrono::milliseconds m_timeout;
    bool m_startTimers;
    std::chrono::milliseconds m_refreshInterval;

    GoldService m_service;
    SectorService m_sectorService;
    FundService m_fundService;

    std::optional<GoldQuote> m_gold;
    std::optional<QDateTime> m_lastUpdate;
    bool m_isLoading = false;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_fundErrorMessage;
    std::optional<SectorQuote> m_sector;
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
    bool m_isRefreshing = false;
    QString m_title = QStringLiteral("--");
    QStringList m_lastFired;
    QStringList m_lastReset;
    // Cancelled when the controller goes away, so no request outlives it.
    CancelHandle m_lifetime = CancelToken::create();
};

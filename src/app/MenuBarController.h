#pragma once

#include "MarketData.h"
#include "RefreshCycle.h"
#include "Tab.h"
#include "calendar/TradingCalendar.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"
#include "config/HoldingsStore.h"
#include "update/UpdateChecker.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class AlertNotifier;
class PanelHost;
class StatusItem;

// The app's wiring: owns the stores, the market data, the refresh cycle and
// the update checker, and connects them to the status item, the panel and
// the notifier. It puts the title on the status item, judges the alert
// rules after every cycle and routes a notification's click to its tab.
// Everything lives on the main thread.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    using Clock = MarketData::Clock;

    struct Options {
        Clock now; // default: CycleSettings::clock(), the system clock unless overridden
        std::chrono::milliseconds timeout = NetworkClient::defaultTimeout; // per request
        bool startTimers = true; // the refresh cycle's timers and the update schedule
        // The refresh timer's interval; default: CycleSettings::refreshInterval(), 30 s
        // unless overridden.
        std::optional<std::chrono::milliseconds> refreshInterval = std::nullopt;
        // Trading days and hours; default: the built-in closure table.
        std::optional<TradingCalendar> calendar = std::nullopt;
    };

    explicit MenuBarController(Options options, QObject* parent = nullptr);
    MenuBarController() : MenuBarController(Options{}) {}
    ~MenuBarController() override;

    // The desktop side, attached once by the application (absent in the
    // command-line modes).
    void attachStatusItem(StatusItem* item);
    void attachPanel(PanelHost* panel);
    void setNotifier(AlertNotifier* notifier);

    MarketData& market() { return *m_market; }
    const MarketData& market() const { return *m_market; }
    RefreshCycle& cycle() { return *m_cycle; }
    ConfigStore& configStore() { return *m_configStore; }
    const ConfigStore& configStore() const { return *m_configStore; }
    HoldingsStore& holdingsStore() { return *m_holdingsStore; }
    const HoldingsStore& holdingsStore() const { return *m_holdingsStore; }
    AlertConfig& alertConfig() { return *m_alertConfig; }
    UpdateChecker& updateChecker() { return *m_updateChecker; }

    // What the holdings are worth and made by the figures as last refreshed.
    Profit::Summary portfolio() const;
    // The notifier's alerts that no notification channel could show.
    QStringList undeliveredAlerts() const;
    // The text last put on the status item.
    const QString& title() const { return m_title; }
    void updateStatusTitle();
    // What the last alert evaluation did: rule ids fired and re-armed.
    const QStringList& lastFired() const { return m_lastFired; }
    const QStringList& lastReset() const { return m_lastReset; }

    // The tab the panel opens on next, set by a notification's click.
    const std::optional<Tab>& pendingTab() const { return m_pendingTab; }
    void setPendingTab(std::optional<Tab> tab);
    void handleNotificationTap(const QString& ruleId);

    // Status item clicks and the panel.
    void handleLeftClick();
    void handleRightClick();
    void showPanel();
    void quitApp();

signals:
    void pendingTabChanged();
    // The alerts no notification could show changed.
    void undeliveredAlertsChanged();
    void quitRequested();
    // A full refresh ended, successfully or not; emitted after the title,
    // the alerts and the published state are all up to date.
    void refreshFinished();

private:
    void checkAlerts(RefreshCycle::Fresh fresh);
    void updateToolTip();
    QRect anchorRect() const;

    ConfigStore* m_configStore = nullptr;
    HoldingsStore* m_holdingsStore = nullptr;
    AlertConfig* m_alertConfig = nullptr;
    UpdateChecker* m_updateChecker = nullptr;
    MarketData* m_market = nullptr;
    RefreshCycle* m_cycle = nullptr;

    std::optional<Tab> m_pendingTab;
    QPointer<StatusItem> m_statusItem;
    QPointer<PanelHost> m_panel;
    // When the panel last closed itself on a click outside.
    std::optional<QDateTime> m_lastOutsideDismissal;
    QPointer<AlertNotifier> m_notifier;
    QString m_title = QStringLiteral("--");
    QStringList m_lastFired;
    QStringList m_lastReset;
};

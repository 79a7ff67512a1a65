#include "MenuBarController.h"

#include "CycleSettings.h"
#include "MarketHours.h"
#include "PanelHost.h"
#include "StatusItem.h"
#include "StatusTitle.h"
#include "WatchReport.h"
#include "alerts/AlertNotifier.h"
#include "market/EstimateLog.h"
#include "market/FundEstimator.h"
#include "market/LastGood.h"
#include "market/Origins.h"

#include <QSet>

#include <cmath>

namespace {

// Awaits a task whose result no longer matters, swallowing its failure.
template <typename T> QCoro::Task<void> drain(QCoro::Task<T>& task)
{
    try {
        co_await task;
    } catch (...) {
    }
}

// A fetch run to its end: its value, or the failure it ended with.
template <typename T> struct Attempt {
    std::optional<T> value;
    std::exception_ptr error;
};

template <typename T> QCoro::Task<Attempt<T>> attempt(QCoro::Task<T> task)
{
    Attempt<T> result;
    try {
        result.value = co_await task;
    } catch (...) {
        result.error = std::current_exception();
    }
    co_return result;
}

constexpr int kUpdateFirstCheckMs = 2000;
constexpr int kUpdateIntervalMs = 6 * 60 * 60 * 1000;

} // namespace

MenuBarController::MenuBarController(Options options, QObject* parent)
    : QObject(parent), m_now(options.now ? std::move(options.now) : CycleSettings::clock()),
      m_timeout(options.timeout), m_startTimers(options.startTimers),
      m_refreshInterval(options.refreshInterval.value_or(CycleSettings::refreshInterval())),
      m_service(Origins::quote(), m_timeout, m_now), m_sectorService(Origins::quote(), m_timeout),
      m_fundService(Origins::fund(), m_timeout)
{
    m_configStore = new ConfigStore(this);
    m_holdingsStore = new HoldingsStore(this);
    m_alertConfig = new AlertConfig(this, [this] { return m_now(); });
    m_updateChecker = new UpdateChecker(this);
    const auto& sectors = m_configStore->config().sectors;
    m_currentSectorCode = sectors.isEmpty() ? defaultSectorCode : sectors.first().code;

    // Edits of the watch list and the rules re-render whatever shows the controller.
    connect(m_configStore, &ConfigStore::configChanged, this, &MenuBarController::changed);
    connect(m_alertConfig, &AlertConfig::rulesChanged, this, &MenuBarController::changed);
    connect(m_updateChecker, &UpdateChecker::changed, this, &MenuBarController::changed);
    // The tray may show the holdings' profit.
    connect(m_holdingsStore, &HoldingsStore::holdingsChanged, this,
            &MenuBarController::updateStatusTitle);

    if (m_startTimers) {
        startTimer();
        QTimer::singleShot(kUpdateFirstCheckMs, this,
                           [this] { m_updateChecker->checkForUpdate(); });
        auto* updates = new QTimer(this);
        updates->setInterval(kUpdateIntervalMs);
        connect(updates, &QTimer::timeout, this, [this] { m_updateChecker->checkForUpdate(); });
        updates->start();
    }
}

MenuBarController::~MenuBarController()
{
    // Abort whatever is in flight; the aborted requests finish right here,
    // while every member is still alive, and the refreshes they belonged to
    // end without publishing anything. The update checker, a child, aborts
    // its own when it goes.
    m_lifetime->cancel();
}

void MenuBarController::attachStatusItem(StatusItem* item)
{
    m_statusItem = item;
    if (!item)
        return;
    connect(item, &StatusItem::leftClicked, this, &MenuBarController::handleLeftClick);
    connect(item, &StatusItem::rightClicked, this, &MenuBarController::handleRightClick);
    connect(item, &StatusItem::quitRequested, this, &MenuBarController::quitApp);
    connect(item, &StatusItem::panelRequested, this, &MenuBarController::showPanel);
    updateStatusTitle();
}

void MenuBarController::attachPanel(PanelHost* panel)
{
    m_panel = panel;
    if (panel) {
        connect(panel, &PanelHost::dismissed, this,
                [this] { m_lastOutsideDismissal = QDateTime::currentDateTimeUtc(); });
    }
}

void MenuBarController::setNotifier(AlertNotifier* notifier)
{
    m_notifier = notifier;
    if (!notifier)
        return;
    // An alert that reached no one shows in the tool tip and the panel, and
    // goes away from both once a later one gets through.
    connect(notifier, &AlertNotifier::undeliveredAlertsChanged, this, [this] {
        updateToolTip();
        publish();
    });
    notifier->requestPermission();
    // A click may be reported from anywhere; the routing happens on our
    // thread, and not at all once the controller is gone.
    QPointer<MenuBarController> self(this);
    notifier->onNotificationTap = [self](const QString& ruleId) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, ruleId] {
                if (self)
                    self->handleNotificationTap(ruleId);
            },
            Qt::QueuedConnection);
    };
}

QStringList MenuBarController::undeliveredAlerts() const
{
    return m_notifier ? m_notifier->undeliveredAlerts() : QStringList();
}

void MenuBarController::setCurrentSectorCode(const QString& code)
{
    if (m_currentSectorCode == code)
        return;
    m_currentSectorCode = code;
    publish();
}

void MenuBarController::setPendingTab(std::optional<Tab> tab)
{
    m_pendingTab = tab;
    publish();
}

MarketStatus MenuBarController::goldMarketStatus() const
{
    const QDateTime now = m_now();
    return MarketHours::goldStatus(now, MarketHours::isGoldDataStale(m_goldTrendData, now));
}

MarketStatus MenuBarController::stockMarketStatus() const
{
    return MarketHours::stockStatus(m_now());
}

bool MenuBarController::isGoldDataStale() const
{
    return MarketHours::isGoldDataStale(m_goldTrendData, m_now());
}

QString MenuBarController::sectorName(const QString& code) const
{
    for (const SectorConfig& s : m_configStore->config().sectors) {
        if (s.code == code)
            return s.name;
    }
    return {};
}

QCoro::Task<void> MenuBarController::refresh()
{
    if (m_isRefreshing)
        co_return;
    m_isRefreshing = true;
    m_isLoading = true;
    publish();

    const auto& sectors = m_configStore->config().sectors;
    const bool known = std::any_of(sectors.begin(), sectors.end(), [this](const SectorConfig& s) {
        return s.code == m_currentSectorCode;
    });
    if (!known)
        m_currentSectorCode = sectors.isEmpty() ? defaultSectorCode : sectors.first().code;
    const QString code = m_currentSectorCode;
    const QString name = sectorName(code);

    auto cancel = CancelToken::linked({m_lifetime});

    // All five start at once (tasks run eagerly) and are awaited in order.
    auto a = m_service.fetch(cancel);
    auto b = m_sectorService.fetchIndex(code, name, cancel);
    auto c = m_sectorService.fetchStocks(code, 10, cancel);
    auto d = m_sectorService.fetchTrends(code, name, cancel);
    auto e = m_sectorService.fetchGoldTrends(cancel);

    GoldQuote gold;
    SectorQuote sector;
    QList<StockQuote> stocks;
    TrendData trend;
    TrendData goldTrend;
    int next = 0; // the first task not yet awaited
    std::exception_ptr failure;
    try {
        next = 1;
        gold = co_await a;
        // A row of placeholders reads as zeros; showing 0.00 and firing every
        // stop-loss rule at 0 would be worse than keeping the last price.
        if (!(gold.priceCNY > 0) || !std::isfinite(gold.priceCNY))
            throw FetchError::invalidData(QStringLiteral("沪金解析失败"));
        next = 2;
        sector = co_await b;
        next = 3;
        stocks = co_await c;
        next = 4;
        trend = co_await d;
        next = 5;
        goldTrend = co_await e;
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        cancel->cancel();
        if (next <= 1)
            co_await drain(b);
        if (next <= 2)
            co_await drain(c);
        if (next <= 3)
            co_await drain(d);
        if (next <= 4)
            co_await drain(e);
        if (m_lifetime->isCancelled())
            co_return;
        finishRefresh(failure);
        co_return;
    }

    m_gold = gold;
    m_sector = LastGood::merge(sector, m_sector);
    m_sectorStocks = LastGood::merge(stocks, m_sectorStocks);
    m_trendData = trend;
    m_goldTrendData = goldTrend;
    publish();

    const WatchConfig config = m_configStore->config();
    if (config.sectors.size() < 2) {
        m_answeredSectors = {sector};
        m_allSectors = {*m_sector};
    } else {
        QStringList codes;
        QStringList names;
        for (const SectorConfig& s : config.sectors) {
            codes.append(s.code);
            names.append(s.name);
        }
        auto overview = co_await attempt(m_sectorService.fetchIndices(codes, names, m_lifetime));
        if (m_lifetime->isCancelled())
            co_return;
        if (overview.error) {
            finishRefresh(overview.error);
            co_return;
        }
        m_answeredSectors = std::move(*overview.value);
        m_allSectors = LastGood::merge(m_answeredSectors, m_allSectors);
    }
    publish();

    co_await refreshFunds();
    if (m_lifetime->isCancelled())
        co_return;

    m_lastUpdate = m_now();
    m_errorMessage.reset();
    updateStatusTitle();
    checkAlerts();
    finishRefresh(nullptr);
}

void MenuBarController::finishRefresh(const std::exception_ptr& error)
{
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const FetchError& fetchError) {
            m_errorMessage = fetchError.description() + QStringLiteral("（已显示上次数据）");
        } catch (...) {
            m_errorMessage = QStringLiteral("更新失败，请稍后重试");
        }
    }
    m_isRefreshing = false;
    m_isLoading = false;
    m_countdown = refreshSeconds();
    updateToolTip();
    publish();
    emit refreshFinished();
}

int MenuBarController::refreshSeconds() const
{
    using namespace std::chrono;
    return std::max(1, int(ceil<seconds>(m_refreshInterval).count()));
}

QCoro::Task<void> MenuBarController::refreshFunds()
{
    QStringList codes;
    for (const FundConfig& f : m_configStore->config().funds)
        codes.append(f.code);
    const QSet<QString> watched(codes.begin(), codes.end());
    m_funds.removeIf([&](const FundDetail& d) { return !watched.contains(d.quote.code); });
    publish();

    auto fail = [this](const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const FetchError& fetchError) {
            m_fundErrorMessage = QStringLiteral("基金数据") + fetchError.description();
        } catch (...) {
            m_fundErrorMessage = QStringLiteral("基金数据更新失败");
        }
        publish();
    };

    auto fetched = co_await attempt(m_fundService.fetchAll(codes, m_lifetime));
    if (m_lifetime->isCancelled())
        co_return;
    if (fetched.error) {
        fail(fetched.error);
        co_return;
    }
    QList<FundDetail> details = std::move(*fetched.value);

    // Each stock is asked for once, however many funds hold it.
    QList<SectorService::StockRef> holdings;
    QSet<QString> seen;
    for (const FundDetail& d : details) {
        for (const FundHolding& h : d.holdings) {
            if (!seen.contains(h.code)) {
                seen.insert(h.code);
                holdings.append({h.code, h.exchange});
            }
        }
    }
    auto priced = co_await attempt(m_sectorService.fetchStockChanges(holdings, m_lifetime));
    if (m_lifetime->isCancelled())
        co_return;
    if (priced.error) {
        fail(priced.error);
        co_return;
    }
    const QMap<QString, double> changes = std::move(*priced.value);

    const QDateTime now = m_now();
    for (FundDetail& d : details) {
        d.navIsCurrent = EstimateLog::navIsCurrent(d.quote, now);
        if (d.navIsCurrent)
            continue;
        d.estChangePct = FundEstimator::estimateChangePct(d.holdings, changes);
        if (d.estChangePct)
            d.estNav = FundEstimator::estimateNav(d.quote.nav, *d.estChangePct);
    }
    m_estimateHistory.note(details, codes, now);
    m_funds = details;
    m_fundStockChanges = changes;
    m_fundErrorMessage.reset();
    publish();
}

Profit::Summary MenuBarController::portfolio() const
{
    QStringList watched;
    for (const FundConfig& f : m_configStore->config().funds)
        watched.append(f.code);
    const Holdings& holdings = m_holdingsStore->holdings();
    return Profit::summarize(holdings.funds, m_funds, watched, holdings.gold, m_gold);
}

EstimateTrust MenuBarController::estimateTrust(const FundDetail& fund) const
{
    return EstimateLog::trust(fund, m_fundStockChanges, m_estimateHistory.days(fund.quote.code));
}

QCoro::Task<void> MenuBarController::refreshSector(QString code)
{
    if (m_isRefreshing)
        co_return;
    m_isRefreshing = true;
    const QString name = sectorName(code);

    auto cancel = CancelToken::linked({m_lifetime});
    auto a = m_sectorService.fetchIndex(code, name, cancel);
    auto b = m_sectorService.fetchStocks(code, 10, cancel);
    auto c = m_sectorService.fetchTrends(code, name, cancel);

    SectorQuote sector;
    QList<StockQuote> stocks;
    TrendData trend;
    int next = 0;
    bool failed = false;
    try {
        next = 1;
        sector = co_await a;
        next = 2;
        stocks = co_await b;
        next = 3;
        trend = co_await c;
    } catch (...) {
        failed = true;
    }
    if (failed) {
        cancel->cancel();
        if (next <= 1)
            co_await drain(b);
        if (next <= 2)
            co_await drain(c);
        if (m_lifetime->isCancelled())
            co_return;
        m_errorMessage = QStringLiteral("板块刷新失败（已显示上次数据）");
    } else {
        m_sector = LastGood::merge(sector, m_sector);
        m_sectorStocks = LastGood::merge(stocks, m_sectorStocks);
        m_trendData = trend;
    }
    m_isRefreshing = false;
    publish();
}

void MenuBarController::startTimer()
{
    if (m_timer)
        return;
    m_timer = new QTimer(this);
    m_timer->setInterval(m_refreshInterval);
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer, &QTimer::timeout, this, &MenuBarController::refreshTick);
    m_timer->start();
    if (!m_countdownTimer)
        startCountdownTimer();
    refresh();
}

void MenuBarController::startCountdownTimer()
{
    m_countdownTimer = new QTimer(this);
    m_countdownTimer->setInterval(1000);
    connect(m_countdownTimer, &QTimer::timeout, this, &MenuBarController::countdownTick);
    m_countdownTimer->start();
}

void MenuBarController::refreshTick()
{
    // Outside trading hours nothing is fetched on the timer.
    const MarketStatus gold = goldMarketStatus();
    if (gold == MarketStatus::trading || gold == MarketStatus::delayed ||
        stockMarketStatus() == MarketStatus::trading)
        refresh();
}

void MenuBarController::countdownTick()
{
    const MarketStatus gold = goldMarketStatus();
    const MarketStatus stock = stockMarketStatus();
    if (gold == MarketStatus::trading || gold == MarketStatus::delayed ||
        stock == MarketStatus::trading) {
        m_allMarketsClosed = false;
        if (!m_isLoading) {
            --m_countdown;
            if (m_countdown <= 0)
                m_countdown = refreshSeconds();
        }
    } else if (gold == MarketStatus::break_ || stock == MarketStatus::break_) {
        m_allMarketsClosed = false;
        m_countdown = 0;
        m_panelStatusText = QStringLiteral("午休");
    } else {
        m_allMarketsClosed = true;
        m_countdown = 0;
        m_panelStatusText = QStringLiteral("已收盘");
    }
    publish();
}

void MenuBarController::updateStatusTitle()
{
    const QDateTime now = m_now();
    StatusTitle::Inputs inputs{
        .source = m_configStore->config().statusBarSource,
        .gold = m_gold,
        .allSectors = m_allSectors,
        .sector = m_sector,
        .goldStatus =
            MarketHours::goldStatus(now, MarketHours::isGoldDataStale(m_goldTrendData, now)),
        .stockStatus = MarketHours::stockStatus(now),
        .todayProfit = {},
        .hideAmounts = m_holdingsStore->holdings().hideAmounts,
    };
    if (const auto today = portfolio().today)
        inputs.todayProfit = today->fen;
    m_title = StatusTitle::text(inputs);
    if (m_statusItem)
        m_statusItem->setTitle(m_title);
    updateToolTip();
    publish();
}

void MenuBarController::updateToolTip()
{
    if (m_statusItem)
        m_statusItem->setToolTip(WatchReport::tooltip(*this));
}

void MenuBarController::checkAlerts()
{
    const AlertEngine::Values values =
        AlertEngine::extractValues(m_gold, m_answeredSectors, m_funds);
    // A copy: each change below re-reads the stored list, which another
    // process may have changed since.
    const QList<AlertRule> rules = m_alertConfig->rules();
    const AlertEngine::Decisions decisions = AlertEngine::checkAll(rules, values);
    m_lastFired.clear();
    m_lastReset.clear();
    for (int index : decisions.trigger) {
        const AlertRule& rule = rules[index];
        // Another Quotara process may have seen the same crossing: whichever
        // stores it first notifies.
        if (!m_alertConfig->markTriggeredIfArmed(rule.id, m_now()))
            continue;
        const auto value = values.constFind(AlertEngine::ruleKey(rule));
        if (value != values.constEnd() && m_notifier)
            m_notifier->sendNotification(rule, value.value());
        m_lastFired.append(rule.id);
    }
    for (int index : decisions.reset) {
        if (m_alertConfig->rearmIfTriggered(rules[index].id))
            m_lastReset.append(rules[index].id);
    }
}

void MenuBarController::handleNotificationTap(const QString& ruleId)
{
    const auto& rules = m_alertConfig->rules();
    const auto it = std::find_if(rules.begin(), rules.end(),
                                 [&](const AlertRule& r) { return r.id == ruleId; });
    if (it != rules.end()) {
        switch (it->targetType) {
        case AlertTargetType::goldCNY:
            m_pendingTab = Tab::gold;
            break;
        case AlertTargetType::fund:
            m_pendingTab = Tab::fund;
            break;
        case AlertTargetType::sector:
            m_pendingTab = Tab::cpo;
            if (!it->targetCode.isEmpty() && it->targetCode != m_currentSectorCode) {
                m_currentSectorCode = it->targetCode;
                refreshSector(it->targetCode);
            }
            break;
        }
        publish();
    }
    showPanel();
}

void MenuBarController::handleLeftClick()
{
    if (!m_panel)
        return;
    if (m_panel->isShown()) {
        m_panel->dismiss();
        return;
    }
    // A tray that cannot tell where its icon is makes a click on the icon
    // look like a click outside: the panel has just closed on that very
    // click, which meant to close it.
    if (m_lastOutsideDismissal &&
        m_lastOutsideDismissal->msecsTo(QDateTime::currentDateTimeUtc()) < 300 &&
        (!m_statusItem || m_statusItem->geometry().isEmpty()))
        return;
    showPanel();
}

void MenuBarController::handleRightClick()
{
    // The host shows the quit menu itself; the panel must not stay over it.
    if (m_panel && m_panel->isShown())
        m_panel->dismiss();
}

void MenuBarController::showPanel()
{
    if (!m_panel)
        return;
    // Opening the panel always asks for fresh data, also outside trading hours.
    refresh();
    QRect anchor = m_statusItem ? m_statusItem->geometry() : QRect();
    // Hosts that keep the item's place to themselves may still say where the
    // click was: the panel opens there rather than in a far corner.
    if (anchor.isEmpty() && m_statusItem && m_statusItem->clickPoint())
        anchor = QRect(*m_statusItem->clickPoint(), QSize(1, 1));
    m_panel->present(anchor);
}

void MenuBarController::quitApp()
{
    emit quitRequested();
}

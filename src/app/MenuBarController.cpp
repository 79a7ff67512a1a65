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
      m_calendar(options.calendar.value_or(TradingCalendar::builtIn())), m_timeout(options.timeout),
      m_startTimers(options.startTimers),
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
    m_boardCancel->cancel(); // no board refresh yet

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
        connect(panel, &PanelHost::dismissed, this, [this] {
            m_lastOutsideDismissal = QDateTime::currentDateTimeUtc();
            scheduleTimers();
        });
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
    // The board picked is the board shown: its data come now, not with the
    // next cycle, and whatever was on its way for the one before is dropped.
    refreshBoard(code);
}

void MenuBarController::setPendingTab(std::optional<Tab> tab)
{
    m_pendingTab = tab;
    publish();
}

MarketState MenuBarController::goldMarketState() const
{
    const QDateTime now = m_now();
    return MarketHours::goldState(m_calendar, now,
                                  MarketHours::isGoldDataStale(m_goldTrendData, now));
}

MarketState MenuBarController::stockMarketState() const
{
    return MarketHours::stockState(m_calendar, m_now());
}

bool MenuBarController::noteClosuresInQuotes()
{
    const QDateTime now = m_now();
    const QDate today = TradingCalendar::shanghaiDate(now);
    bool marked = false;
    if (MarketHours::showsNoTradingToday(m_calendar, Market::stocks, m_trendData, now))
        marked |= m_calendar.markDetected(Market::stocks, today);
    if (MarketHours::showsNoTradingToday(m_calendar, Market::gold, m_goldTrendData, now))
        marked |= m_calendar.markDetected(Market::gold, today);
    return marked;
}

QStringList MenuBarController::calendarNotes() const
{
    const QDate today = TradingCalendar::shanghaiDate(m_now());
    QStringList notes;
    const bool stocks = m_calendar.dayClosure(Market::stocks, today) == Closure::detected;
    const bool gold = m_calendar.dayClosure(Market::gold, today) == Closure::detected;
    if (stocks || gold)
        notes << (stocks && gold ? QStringLiteral("A股和沪金")
                  : stocks       ? QStringLiteral("A股")
                                 : QStringLiteral("沪金")) +
                     QStringLiteral("今日休市（由行情数据判断，休市日历未收录此日）");
    const QDate validUntil = m_calendar.validUntil();
    if (!validUntil.isValid())
        notes << QStringLiteral("休市日历不可用，节假日休市由行情数据判断");
    else if (today > validUntil)
        notes << QStringLiteral("休市日历只收录到 %1 年，此后的节假日休市由行情数据判断")
                     .arg(validUntil.year());
    return notes;
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
    if (m_cycleRunning)
        co_return;
    m_cycleRunning = true;
    m_isLoading = true;
    publish();

    const auto& sectors = m_configStore->config().sectors;
    const bool known = std::any_of(sectors.begin(), sectors.end(), [this](const SectorConfig& s) {
        return s.code == m_currentSectorCode;
    });
    if (!known)
        m_currentSectorCode = sectors.isEmpty() ? defaultSectorCode : sectors.first().code;

    // The parts need nothing from each other: all start at once (tasks run
    // eagerly), so a cycle takes as long as its longest chain, the funds'
    // three round trips. That chain goes first: Qt opens at most six
    // connections to a host, and a request beyond them waits for a free one,
    // which only a request that is not on the longest chain can afford.
    auto funds = refreshFunds();
    auto gold = refreshGold();
    // A board picked just before has its own refresh on the way already.
    auto board = m_boardCode == m_currentSectorCode && !m_boardCancel->isCancelled()
                     ? QCoro::Task<bool>(declined())
                     : refreshBoard(m_currentSectorCode);
    auto overview = refreshOverview();
    Fresh fresh;
    fresh.gold = co_await gold;
    fresh.board = co_await board;
    fresh.overview = co_await overview;
    fresh.funds = co_await funds;
    if (m_lifetime->isCancelled())
        co_return;

    // With fewer than two boards there is no overview to ask for: the
    // current board's own quote stands in for it.
    if (m_configStore->config().sectors.size() < 2) {
        fresh.overview = fresh.board;
        if (fresh.board) {
            m_answeredSectors = {m_answeredBoard};
            m_allSectors = {*m_sector};
        }
    }
    // A trading day whose answers hold no minute of it is a closure the
    // calendar did not know. The funds were judged meanwhile, by the
    // calendar as it stood: once more by the calendar as it stands now.
    if (noteClosuresInQuotes() && fresh.funds) {
        const QDateTime now = m_now();
        judgeFunds(m_funds, m_fundStockChanges, now);
        QStringList codes;
        for (const FundConfig& f : m_configStore->config().funds)
            codes.append(f.code);
        m_estimateHistory.note(m_funds, codes, now, m_calendar);
    }
    if (fresh.gold || fresh.board || fresh.overview || fresh.funds)
        m_lastUpdate = m_now();
    updateStatusTitle();
    checkAlerts(fresh);
    m_cycleRunning = false;
    m_isLoading = false;
    m_countdown = refreshSeconds();
    updateToolTip();
    publish();
    emit refreshFinished();
}

QString MenuBarController::failureMessage(const QString& what, const std::exception_ptr& error,
                                          bool lastDataShown)
{
    try {
        std::rethrow_exception(error);
    } catch (const FetchError& fetchError) {
        return what + fetchError.description() +
               (lastDataShown ? QStringLiteral("（已显示上次数据）") : QString());
    } catch (...) {
        return what + (lastDataShown ? QStringLiteral("更新失败，请稍后重试")
                                     : QStringLiteral("更新失败"));
    }
}

void MenuBarController::setMessage(RefreshPart part, std::optional<QString> message)
{
    m_messages[std::size_t(part)] = std::move(message);
}

const std::optional<QString>& MenuBarController::message(RefreshPart part) const
{
    return m_messages[std::size_t(part)];
}

std::optional<QString> MenuBarController::errorMessage() const
{
    const QStringList lines = messagesFor(Tab::gold) + messagesFor(Tab::cpo);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.join(u'\n');
}

QStringList MenuBarController::messagesFor(Tab tab) const
{
    QStringList lines;
    const auto add = [&](RefreshPart part) {
        if (const auto& m = message(part))
            lines.append(*m);
    };
    switch (tab) {
    case Tab::gold:
        add(RefreshPart::gold);
        break;
    case Tab::cpo:
        add(RefreshPart::board);
        add(RefreshPart::overview);
        break;
    case Tab::fund:
        // The fund tab shows its message in a place of its own.
        break;
    }
    return lines;
}

int MenuBarController::refreshSeconds() const
{
    using namespace std::chrono;
    return std::max(1, int(ceil<seconds>(m_refreshInterval).count()));
}

QCoro::Task<bool> MenuBarController::declined()
{
    co_return false;
}

QCoro::Task<bool> MenuBarController::refreshGold()
{
    auto quoteTask = attempt(m_service.fetch(m_lifetime));
    auto trendTask = attempt(m_sectorService.fetchGoldTrends(m_lifetime));
    auto quote = co_await quoteTask;
    auto trend = co_await trendTask;
    if (m_lifetime->isCancelled())
        co_return false;
    std::exception_ptr error = quote.error ? quote.error : trend.error;
    // A row of placeholders reads as zeros; showing 0.00 and firing every
    // stop-loss rule at 0 would be worse than keeping the last price.
    if (!error && (!(quote.value->priceCNY > 0) || !std::isfinite(quote.value->priceCNY)))
        error = std::make_exception_ptr(FetchError::invalidData(QStringLiteral("沪金解析失败")));
    if (error) {
        setMessage(RefreshPart::gold, failureMessage(QStringLiteral("沪金："), error));
        publish();
        co_return false;
    }
    m_gold = *quote.value;
    m_goldTrendData = std::move(*trend.value);
    setMessage(RefreshPart::gold, std::nullopt);
    publish();
    co_return true;
}

QCoro::Task<bool> MenuBarController::refreshBoard(QString code)
{
    // Only the newest pick counts: starting this one ends the one before, so
    // another board's data never land under this one.
    m_boardCancel->cancel();
    const CancelHandle cancel = CancelToken::linked({m_lifetime});
    m_boardCancel = cancel;
    m_boardCode = code;
    const QString name = sectorName(code);

    auto indexTask = attempt(m_sectorService.fetchIndex(code, name, cancel));
    auto stocksTask = attempt(m_sectorService.fetchStocks(code, 10, cancel));
    auto trendTask = attempt(m_sectorService.fetchTrends(code, name, cancel));
    auto index = co_await indexTask;
    auto stocks = co_await stocksTask;
    auto trend = co_await trendTask;
    if (cancel->isCancelled())
        co_return false;
    // Cancelled when done, so isRefreshing() knows no board is on its way.
    cancel->cancel();
    if (code != m_currentSectorCode)
        co_return false;

    const std::exception_ptr error =
        index.error ? index.error : (stocks.error ? stocks.error : trend.error);
    if (error) {
        const QString label = name.isEmpty() ? code : name + u'（' + code + u'）';
        setMessage(RefreshPart::board,
                   failureMessage(QStringLiteral("板块") + label + u'：', error));
        updateToolTip();
        publish();
        co_return false;
    }
    m_answeredBoard = *index.value;
    m_sector = LastGood::merge(*index.value, m_sector);
    m_sectorStocks = LastGood::merge(*stocks.value, m_sectorStocks);
    m_trendData = std::move(*trend.value);
    setMessage(RefreshPart::board, std::nullopt);
    if (!m_cycleRunning)
        updateStatusTitle();
    publish();
    co_return true;
}

QCoro::Task<bool> MenuBarController::refreshOverview()
{
    const WatchConfig config = m_configStore->config();
    if (config.sectors.size() < 2) {
        setMessage(RefreshPart::overview, std::nullopt);
        co_return false;
    }
    QStringList codes;
    QStringList names;
    for (const SectorConfig& s : config.sectors) {
        codes.append(s.code);
        names.append(s.name);
    }
    auto overview = co_await attempt(m_sectorService.fetchIndices(codes, names, m_lifetime));
    if (m_lifetime->isCancelled())
        co_return false;
    if (overview.error) {
        setMessage(RefreshPart::overview,
                   failureMessage(QStringLiteral("板块概览："), overview.error));
        publish();
        co_return false;
    }
    m_answeredSectors = std::move(*overview.value);
    m_allSectors = LastGood::merge(m_answeredSectors, m_allSectors);
    setMessage(RefreshPart::overview, std::nullopt);
    publish();
    co_return true;
}

QCoro::Task<bool> MenuBarController::refreshFunds()
{
    QStringList codes;
    for (const FundConfig& f : m_configStore->config().funds)
        codes.append(f.code);
    const QSet<QString> watched(codes.begin(), codes.end());
    m_funds.removeIf([&](const FundDetail& d) { return !watched.contains(d.quote.code); });
    publish();

    // The fund cards show what they have by themselves; the message only
    // says that it is not this refresh's.
    auto fail = [this](const std::exception_ptr& error) {
        setMessage(RefreshPart::funds, failureMessage(QStringLiteral("基金数据"), error, false));
        publish();
    };

    auto fetched = co_await attempt(m_fundService.fetchAll(codes, m_lifetime));
    if (m_lifetime->isCancelled())
        co_return false;
    if (fetched.error) {
        fail(fetched.error);
        co_return false;
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
        co_return false;
    if (priced.error) {
        fail(priced.error);
        co_return false;
    }
    const QMap<QString, double> changes = std::move(*priced.value);

    const QDateTime now = m_now();
    judgeFunds(details, changes, now);
    m_estimateHistory.note(details, codes, now, m_calendar);
    m_funds = details;
    m_fundStockChanges = changes;
    setMessage(RefreshPart::funds, std::nullopt);
    publish();
    co_return true;
}

Profit::Summary MenuBarController::portfolio() const
{
    QStringList watched;
    for (const FundConfig& f : m_configStore->config().funds)
        watched.append(f.code);
    const Holdings& holdings = m_holdingsStore->holdings();
    return Profit::summarize(holdings.funds, m_funds, watched, holdings.gold, m_gold);
}

void MenuBarController::judgeFunds(QList<FundDetail>& details, const QMap<QString, double>& changes,
                                   const QDateTime& now) const
{
    for (FundDetail& d : details) {
        d.navIsCurrent = EstimateLog::navIsCurrent(d.quote, now, m_calendar);
        d.estChangePct.reset();
        d.estNav.reset();
        if (d.navIsCurrent)
            continue;
        d.estChangePct = FundEstimator::estimateChangePct(d.holdings, changes);
        if (d.estChangePct)
            d.estNav = FundEstimator::estimateNav(d.quote.nav, *d.estChangePct);
    }
}

EstimateTrust MenuBarController::estimateTrust(const FundDetail& fund) const
{
    return EstimateLog::trust(fund, m_fundStockChanges, m_estimateHistory.days(fund.quote.code));
}

QCoro::Task<void> MenuBarController::refreshSector(QString code)
{
    co_await refreshBoard(std::move(code));
}

void MenuBarController::startTimer()
{
    if (m_timer)
        return;
    m_timer = new QTimer(this);
    m_timer->setInterval(m_refreshInterval);
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer, &QTimer::timeout, this, &MenuBarController::refreshTick);
    startCountdownTimer();
    m_wakeTimer = new QTimer(this);
    m_wakeTimer->setObjectName(QStringLiteral("nextMinute"));
    m_wakeTimer->setSingleShot(true);
    m_wakeTimer->setTimerType(Qt::CoarseTimer);
    connect(m_wakeTimer, &QTimer::timeout, this, &MenuBarController::scheduleTimers);
    refresh();
    scheduleTimers();
}

void MenuBarController::startCountdownTimer()
{
    if (m_countdownTimer)
        return;
    m_countdownTimer = new QTimer(this);
    m_countdownTimer->setInterval(1000);
    connect(m_countdownTimer, &QTimer::timeout, this, &MenuBarController::countdownTick);
}

bool MenuBarController::isAnyMarketOpen() const
{
    const MarketStatus gold = goldMarketStatus();
    return gold == MarketStatus::trading || gold == MarketStatus::delayed ||
           stockMarketStatus() == MarketStatus::trading;
}

void MenuBarController::scheduleTimers()
{
    if (!m_timer)
        return;
    const bool open = isAnyMarketOpen();
    if (open && !m_timer->isActive()) {
        m_timer->start();
        // A market has just opened: its first figures now, not a cycle later.
        if (m_asleep)
            refresh();
    } else if (!open) {
        m_timer->stop();
    }
    m_asleep = !open;
    // The countdown is only ever seen while something trades or the panel
    // is open; otherwise the app sleeps until the next whole minute, the
    // finest step at which a market opens.
    const bool counting = open || (m_panel && m_panel->isShown());
    if (counting)
        m_countdownTimer->start();
    else
        m_countdownTimer->stop();
    countdownTick();
    if (open) {
        m_wakeTimer->stop();
    } else {
        const QDateTime now = m_now();
        const QTime t = now.time();
        m_wakeTimer->start(std::max(1000, 60'000 - (t.second() * 1000 + t.msec())));
    }
}

bool MenuBarController::timersRunning(bool* refreshing, bool* counting) const
{
    if (refreshing)
        *refreshing = m_timer && m_timer->isActive();
    if (counting)
        *counting = m_countdownTimer && m_countdownTimer->isActive();
    return m_timer != nullptr;
}

void MenuBarController::refreshTick()
{
    // Outside trading hours nothing is fetched on the timer.
    if (isAnyMarketOpen())
        refresh();
    else
        scheduleTimers();
}

void MenuBarController::countdownTick()
{
    const MarketState goldState = goldMarketState();
    const MarketState stockState = stockMarketState();
    const MarketStatus gold = goldState.status;
    const MarketStatus stock = stockState.status;
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
        m_panelStatusText = isDayOff(goldState.closure) && isDayOff(stockState.closure)
                                ? QStringLiteral("休市")
                                : QStringLiteral("已收盘");
    }
    // Only the panel's header shows the countdown; the badges of the tabs
    // redraw when a market's state changes.
    emit countdownChanged();
    if (std::pair(goldState, stockState) != m_shownStatus) {
        m_shownStatus = {goldState, stockState};
        publish();
    }
}

void MenuBarController::updateStatusTitle()
{
    const QDateTime now = m_now();
    StatusTitle::Inputs inputs{
        .source = m_configStore->config().statusBarSource,
        .gold = m_gold,
        .allSectors = m_allSectors,
        .sector = m_sector,
        .goldStatus = MarketHours::goldState(m_calendar, now,
                                             MarketHours::isGoldDataStale(m_goldTrendData, now))
                          .status,
        .stockStatus = MarketHours::stockState(m_calendar, now).status,
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

void MenuBarController::checkAlerts(Fresh fresh)
{
    // A rule whose target did not refresh this cycle is neither fired nor
    // re-armed: its last figure may be long out of date.
    const AlertEngine::Values values =
        AlertEngine::extractValues(fresh.gold ? m_gold : std::nullopt,
                                   fresh.overview ? m_answeredSectors : QList<SectorQuote>(),
                                   fresh.funds ? m_funds : QList<FundDetail>());
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
            if (!it->targetCode.isEmpty())
                setCurrentSectorCode(it->targetCode);
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
        scheduleTimers();
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
    if (m_panel && m_panel->isShown()) {
        m_panel->dismiss();
        scheduleTimers();
    }
}

void MenuBarController::showPanel()
{
    if (!m_panel)
        return;
    // Opening the panel always asks for fresh data, also outside trading hours.
    refresh();
    m_panel->present(anchorRect());
    // While the panel is open its header counts down, markets open or not.
    scheduleTimers();
}

QRect MenuBarController::anchorRect() const
{
    QRect anchor = m_statusItem ? m_statusItem->geometry() : QRect();
    // Hosts that keep the item's place to themselves may still say where the
    // click was: the panel opens there rather than in a far corner.
    if (anchor.isEmpty() && m_statusItem && m_statusItem->clickPoint())
        anchor = QRect(*m_statusItem->clickPoint(), QSize(1, 1));
    return anchor;
}

void MenuBarController::quitApp()
{
    emit quitRequested();
}

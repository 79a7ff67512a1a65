#include "RefreshCycle.h"

#include "config/ConfigStore.h"
#include "market/Origins.h"

#include <QSet>
#include <QTimer>

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

// A part that has nothing to do this cycle.
QCoro::Task<bool> declined()
{
    co_return false;
}

} // namespace

RefreshCycle::RefreshCycle(MarketData& market, const ConfigStore& watchList,
                           std::chrono::milliseconds timeout, std::chrono::milliseconds interval,
                           QObject* parent)
    : QObject(parent), m_market(market), m_watchList(watchList), m_timeout(timeout),
      m_interval(interval),
      m_goldService(Origins::quote(), timeout, [&market] { return market.now(); }),
      m_sectorService(Origins::quote(), timeout), m_fundService(Origins::fund(), timeout)
{
    m_market.setCurrentSectorCode(boardToShow(m_watchList.config(), QString()));
    m_boardCancel->cancel(); // no board refresh yet
}

RefreshCycle::~RefreshCycle()
{
    // Abort whatever is in flight; the aborted requests finish right here,
    // while every member is still alive, and the refreshes they belonged to
    // end without publishing anything.
    m_lifetime->cancel();
}

QString RefreshCycle::boardToShow(const WatchConfig& watch, const QString& current)
{
    const auto& sectors = watch.sectors;
    if (std::any_of(sectors.begin(), sectors.end(),
                    [&](const SectorConfig& s) { return s.code == current; }))
        return current;
    return sectors.isEmpty() ? defaultSectorCode : sectors.first().code;
}

void RefreshCycle::selectBoard(const QString& code)
{
    if (m_market.currentSectorCode() == code)
        return;
    m_market.setCurrentSectorCode(code);
    // Whatever was on its way for the board before is dropped.
    refreshBoard(code);
}

void RefreshCycle::followWatchList()
{
    const QString current = m_market.currentSectorCode();
    const QString next = boardToShow(m_watchList.config(), current);
    if (next != current)
        selectBoard(next);
    else
        refresh();
}

QStringList RefreshCycle::watchedFunds() const
{
    QStringList codes;
    for (const FundConfig& f : m_watchList.config().funds)
        codes.append(f.code);
    return codes;
}

QString RefreshCycle::sectorName(const QString& code) const
{
    for (const SectorConfig& s : m_watchList.config().sectors) {
        if (s.code == code)
            return s.name;
    }
    return {};
}

int RefreshCycle::refreshSeconds() const
{
    using namespace std::chrono;
    return std::max(1, int(ceil<seconds>(m_interval).count()));
}

QString RefreshCycle::failureMessage(const QString& what, const std::exception_ptr& error,
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

QCoro::Task<void> RefreshCycle::refresh()
{
    if (m_cycleRunning)
        co_return;
    m_cycleRunning = true;
    m_market.setLoading(true);
    // Another process may have taken the current board off the list.
    m_market.setCurrentSectorCode(boardToShow(m_watchList.config(), m_market.currentSectorCode()));
    const QString board = m_market.currentSectorCode();

    // The parts need nothing from each other: all start at once (tasks run
    // eagerly), so a cycle takes as long as its longest chain, the funds'
    // three round trips. That chain goes first: Qt opens at most six
    // connections to a host, and a request beyond them waits for a free one,
    // which only a request that is not on the longest chain can afford.
    auto funds = refreshFunds();
    auto gold = refreshGold();
    // A board picked just before has its own refresh on the way already.
    auto boardTask = m_boardCode == board && !m_boardCancel->isCancelled()
                         ? QCoro::Task<bool>(declined())
                         : refreshBoard(board);
    auto overview = refreshOverview();
    Fresh fresh;
    fresh.gold = co_await gold;
    fresh.board = co_await boardTask;
    fresh.overview = co_await overview;
    fresh.funds = co_await funds;
    if (m_lifetime->isCancelled())
        co_return;

    // With fewer than two boards there is no overview to ask for: the
    // current board's own quote stands in for it.
    if (m_watchList.config().sectors.size() < 2) {
        fresh.overview = fresh.board;
        if (fresh.board)
            m_market.setOverviewFromBoard();
    }
    // A trading day whose answers hold no minute of it is a closure the
    // calendar did not know. The funds were judged meanwhile, by the
    // calendar as it stood: once more by the calendar as it stands now.
    if (m_market.noteClosuresInQuotes() && fresh.funds)
        m_market.rejudgeFunds(watchedFunds());
    if (fresh.gold || fresh.board || fresh.overview || fresh.funds)
        m_market.setLastUpdate(m_market.now());
    m_cycleRunning = false;
    m_market.setCountdown(refreshSeconds(), m_market.allMarketsClosed(),
                          m_market.panelStatusText());
    m_market.setLoading(false);
    emit finished(fresh);
}

QCoro::Task<bool> RefreshCycle::refreshGold()
{
    auto quoteTask = attempt(m_goldService.fetch(m_lifetime));
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
        m_market.setMessage(RefreshPart::gold, failureMessage(QStringLiteral("沪金："), error));
        co_return false;
    }
    m_market.setGold(std::move(*quote.value), std::move(*trend.value));
    m_market.setMessage(RefreshPart::gold, std::nullopt);
    co_return true;
}

QCoro::Task<bool> RefreshCycle::refreshBoard(QString code)
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
    if (code != m_market.currentSectorCode())
        co_return false;

    const std::exception_ptr error =
        index.error ? index.error : (stocks.error ? stocks.error : trend.error);
    if (error) {
        const QString label = name.isEmpty() ? code : name + u'（' + code + u'）';
        m_market.setMessage(RefreshPart::board,
                            failureMessage(QStringLiteral("板块") + label + u'：', error));
        co_return false;
    }
    m_market.setBoard(*index.value, *stocks.value, std::move(*trend.value));
    m_market.setMessage(RefreshPart::board, std::nullopt);
    co_return true;
}

QCoro::Task<bool> RefreshCycle::refreshOverview()
{
    const WatchConfig config = m_watchList.config();
    if (config.sectors.size() < 2) {
        m_market.setMessage(RefreshPart::overview, std::nullopt);
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
        m_market.setMessage(RefreshPart::overview,
                            failureMessage(QStringLiteral("板块概览："), overview.error));
        co_return false;
    }
    m_market.setOverview(std::move(*overview.value));
    m_market.setMessage(RefreshPart::overview, std::nullopt);
    co_return true;
}

QCoro::Task<bool> RefreshCycle::refreshFunds()
{
    const QStringList codes = watchedFunds();
    m_market.keepFunds(codes);

    // The fund cards show what they have by themselves; the message only
    // says that it is not this refresh's.
    auto fail = [this](const std::exception_ptr& error) {
        m_market.setMessage(RefreshPart::funds,
                            failureMessage(QStringLiteral("基金数据"), error, false));
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
    QMap<QString, double> changes = std::move(*priced.value);

    const QDateTime now = m_market.now();
    m_market.judgeFunds(details, changes, now);
    m_market.noteEstimates(details, codes, now);
    m_market.setFunds(std::move(details), std::move(changes));
    m_market.setMessage(RefreshPart::funds, std::nullopt);
    co_return true;
}

void RefreshCycle::start(std::function<bool()> panelShown)
{
    if (m_timer)
        return;
    m_panelShown = std::move(panelShown);
    m_timer = new QTimer(this);
    m_timer->setInterval(m_interval);
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer, &QTimer::timeout, this, &RefreshCycle::refreshTick);
    m_countdownTimer = new QTimer(this);
    m_countdownTimer->setInterval(1000);
    connect(m_countdownTimer, &QTimer::timeout, this, &RefreshCycle::countdownTick);
    m_wakeTimer = new QTimer(this);
    m_wakeTimer->setObjectName(QStringLiteral("nextMinute"));
    m_wakeTimer->setSingleShot(true);
    // A coarse timer may fire seconds early, before the minute it waits
    // for, and then needs a second wake-up to reach it.
    m_wakeTimer->setTimerType(Qt::PreciseTimer);
    connect(m_wakeTimer, &QTimer::timeout, this, &RefreshCycle::scheduleTimers);
    refresh();
    scheduleTimers();
}

void RefreshCycle::scheduleTimers()
{
    if (!m_timer)
        return;
    const bool open = m_market.isAnyMarketOpen();
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
    const bool counting = open || (m_panelShown && m_panelShown());
    if (counting)
        m_countdownTimer->start();
    else
        m_countdownTimer->stop();
    countdownTick();
    if (open) {
        m_wakeTimer->stop();
    } else {
        const QTime t = m_market.now().time();
        m_wakeTimer->start(std::max(1000, 60'000 - (t.second() * 1000 + t.msec())));
    }
}

bool RefreshCycle::timersRunning(bool* refreshing, bool* counting) const
{
    if (refreshing)
        *refreshing = m_timer && m_timer->isActive();
    if (counting)
        *counting = m_countdownTimer && m_countdownTimer->isActive();
    return m_timer != nullptr;
}

void RefreshCycle::refreshTick()
{
    // Outside trading hours nothing is fetched on the timer.
    if (m_market.isAnyMarketOpen())
        refresh();
    else
        scheduleTimers();
}

void RefreshCycle::countdownTick()
{
    const MarketState goldState = m_market.goldMarketState();
    const MarketState stockState = m_market.stockMarketState();
    const MarketStatus gold = goldState.status;
    const MarketStatus stock = stockState.status;
    if (gold == MarketStatus::trading || gold == MarketStatus::delayed ||
        stock == MarketStatus::trading) {
        int countdown = m_market.countdown();
        if (!m_market.isLoading()) {
            --countdown;
            if (countdown <= 0)
                countdown = refreshSeconds();
        }
        m_market.setCountdown(countdown, false, m_market.panelStatusText());
    } else if (gold == MarketStatus::break_ || stock == MarketStatus::break_) {
        m_market.setCountdown(0, false, QStringLiteral("午休"));
    } else {
        m_market.setCountdown(0, true,
                              isDayOff(goldState.closure) && isDayOff(stockState.closure)
                                  ? QStringLiteral("休市")
                                  : QStringLiteral("已收盘"));
    }
}

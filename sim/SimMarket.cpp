#include "SimMarket.h"

#include "SimHash.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Salts keep the draws of different purposes apart.
enum Salt : std::uint64_t {
    SaltKnot = 1,
    SaltDaily,
    SaltPath,
    SaltHigh,
    SaltLow,
    SaltShare,
    SaltTurnover,
    SaltSuspend,
    SaltFundNoise,
    SaltBond,
    SaltPremium,
};

double round2(double v)
{
    return std::round(v * 100.0) / 100.0;
}
double round3(double v)
{
    return std::round(v * 1000.0) / 1000.0;
}
double round4(double v)
{
    return std::round(v * 10000.0) / 10000.0;
}

constexpr int kSuspendedCount = 4;
constexpr qsizetype kDayCacheLimit = 2000; // about 30 MB of minute lines at most

struct Wander {
    double slow;     // amplitude of the level that drifts over weeks
    double daily;    // amplitude of the day-to-day wobble
    double intraday; // volatility of the minutes within one day
};

Wander wanderOf(const SimCatalog::Instrument& instrument)
{
    // Slow knots sit 8 trading days apart, so the largest daily move is
    // slow * 2 / 8 + daily * 2: 8.3% for stocks, inside the 10% limit.
    if (instrument.kind == SimCatalog::Kind::Futures)
        return {0.035, 0.004, 0.004};
    return {0.22, 0.014, 0.012};
}

} // namespace

double SimMarket::Quote::change() const
{
    return round2(price - preClose);
}

double SimMarket::Quote::changePercent() const
{
    return preClose > 0 ? round2((price / preClose - 1.0) * 100.0) : 0.0;
}

SimMarket::SimMarket(quint64 seed) : m_seed(seed)
{
    // A few A-shares are suspended for the whole life of a model; which ones
    // depends on the seed.
    QList<QPair<std::uint64_t, int>> draws;
    const auto& instruments = catalog().instruments();
    for (int i = 0; i < instruments.size(); ++i) {
        const auto& instrument = instruments.at(i);
        if (instrument.kind == SimCatalog::Kind::Stock && instrument.market <= 1)
            draws.append({SimHash::of({m_seed, key(i), SaltSuspend}), i});
    }
    std::sort(draws.begin(), draws.end());
    for (int i = 0; i < kSuspendedCount && i < draws.size(); ++i)
        m_suspended.insert(draws.at(i).second);
}

QList<int> SimMarket::suspended() const
{
    QList<int> out(m_suspended.cbegin(), m_suspended.cend());
    std::sort(out.begin(), out.end());
    return out;
}

std::uint64_t SimMarket::key(int instrument) const
{
    return SimHash::text(catalog().instruments().at(instrument).secid());
}

QString SimMarket::name(int instrument, QDate tradingDay) const
{
    const auto& info = catalog().instruments().at(instrument);
    if (info.kind != SimCatalog::Kind::Futures)
        return info.name;
    // The main contract is the first even month at least two months out.
    QDate month = QDate(tradingDay.year(), tradingDay.month(), 1).addMonths(2);
    if (month.month() % 2)
        month = month.addMonths(1);
    return u"沪金"_s + month.toString(u"yyMM"_s);
}

QDate SimMarket::currentTradingDay(int instrument, const QDateTime& now) const
{
    return m_calendar.currentTradingDay(catalog().instruments().at(instrument).session(), now);
}

double SimMarket::level(int instrument, qint64 ordinal) const
{
    const auto& info = catalog().instruments().at(instrument);
    const Wander w = wanderOf(info);
    const qint64 knot = ordinal >= 0 ? ordinal / 8 : -((-ordinal + 7) / 8);
    const double t = double(ordinal - knot * 8) / 8.0;
    const std::uint64_t k = key(instrument);
    const double v0 = SimHash::signedUnit(SimHash::of({m_seed, k, SaltKnot, std::uint64_t(knot)}));
    const double v1 =
        SimHash::signedUnit(SimHash::of({m_seed, k, SaltKnot, std::uint64_t(knot + 1)}));
    const double e =
        SimHash::signedUnit(SimHash::of({m_seed, k, SaltDaily, std::uint64_t(ordinal)}));
    return info.basePrice * std::exp(w.slow * (v0 + (v1 - v0) * t) + w.daily * e);
}

double SimMarket::close(int instrument, QDate tradingDay) const
{
    const auto& info = catalog().instruments().at(instrument);
    if (info.kind == SimCatalog::Kind::Board) {
        const SimCatalog::Board* board = catalog().boardOf(instrument);
        double sum = 0;
        double weights = 0;
        for (const auto& m : board->members) {
            const double base = catalog().instruments().at(m.instrument).basePrice;
            sum += m.weight * close(m.instrument, tradingDay) / base;
            weights += m.weight;
        }
        return round2(board->level * sum / weights);
    }
    const auto pinned = m_pinnedCloses.constFind({instrument, tradingDay.toJulianDay()});
    if (pinned != m_pinnedCloses.cend())
        return *pinned;
    if (isSuspended(instrument))
        return round2(info.basePrice);
    return round2(level(instrument, m_calendar.ordinal(tradingDay)));
}

SimMarket::Day SimMarket::day(int instrument, QDate tradingDay) const
{
    const QPair<int, qint64> cacheKey(instrument, tradingDay.toJulianDay());
    const auto it = m_days.constFind(cacheKey);
    if (it != m_days.cend())
        return *it;
    if (m_days.size() > kDayCacheLimit)
        m_days.clear();
    const bool isBoard = catalog().instruments().at(instrument).kind == SimCatalog::Kind::Board;
    Day d = isBoard ? boardDay(instrument, tradingDay) : stockDay(instrument, tradingDay);
    m_days.insert(cacheKey, d);
    return d;
}

SimMarket::Day SimMarket::stockDay(int instrument, QDate tradingDay) const
{
    const auto& info = catalog().instruments().at(instrument);
    Day d;
    d.tradingDay = tradingDay;
    d.preClose = close(instrument, m_calendar.previousTradingDay(tradingDay));
    if (isSuspended(instrument))
        return d;

    const QList<qint64> stamps = m_calendar.stamps(info.session(), tradingDay);
    const qsizetype n = stamps.size();
    const bool auction = info.session() != SimCalendar::Session::ShanghaiGold;
    const double target = close(instrument, tradingDay);
    const double drift = std::log(target / d.preClose);
    const double sigma = wanderOf(info).intraday / std::sqrt(double(n));
    const std::uint64_t k = key(instrument);
    const auto jd = std::uint64_t(tradingDay.toJulianDay());
    const auto draw = [&](Salt salt, qsizetype i) {
        return SimHash::of({m_seed, k, jd, salt, std::uint64_t(i)});
    };

    // Brownian bridge from the previous close to the day's close.
    std::vector<double> walk(static_cast<std::size_t>(n));
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        sum += SimHash::normal(draw(SaltPath, i));
        walk[std::size_t(i)] = sum;
    }
    // Daily price limits: 7 % for the gold contract, 10 % for A-shares.
    const double limit = info.kind == SimCatalog::Kind::Futures ? 0.07 : 0.099;
    const double lo = d.preClose * (1.0 - limit);
    const double hi = d.preClose * (1.0 + limit);

    // Volume follows the usual smile: busy open, quiet midday, busy close.
    const double dayTurnover =
        info.turnover * std::exp(0.25 * SimHash::signedUnit(draw(SaltTurnover, 0)));
    std::vector<double> shares(static_cast<std::size_t>(n));
    double shareSum = 0;
    for (qsizetype i = auction ? 1 : 0; i < n; ++i) {
        const double edge =
            1.0 + 1.2 * std::exp(-double(i) / 20.0) + 0.8 * std::exp(-double(n - 1 - i) / 25.0);
        shares[std::size_t(i)] = edge * (0.6 + 0.8 * SimHash::unit(draw(SaltShare, i)));
        shareSum += shares[std::size_t(i)];
    }
    const double auctionShare = auction ? 0.04 : 0.0;
    for (qsizetype i = auction ? 1 : 0; i < n; ++i)
        shares[std::size_t(i)] *= (1.0 - auctionShare) / shareSum;
    if (auction)
        shares[0] = auctionShare;

    d.bars.reserve(n);
    double prevClose = d.preClose;
    qint64 cumVolume = 0;
    double cumTurnover = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const double f = double(i + 1) / double(n);
        const double x =
            d.preClose * std::exp(f * drift + sigma * (walk[std::size_t(i)] - f * walk.back()));
        Bar bar;
        bar.stamp = stamps.at(i);
        bar.close = i == n - 1 ? target : round2(std::clamp(x, lo, hi));
        if (i == 0)
            bar.open = auction ? bar.close : round2((d.preClose + bar.close) / 2.0);
        else
            bar.open = prevClose;
        const bool still = auction && i == 0;
        const double up = still ? 0 : 0.3 * sigma * std::abs(SimHash::normal(draw(SaltHigh, i)));
        const double down = still ? 0 : 0.3 * sigma * std::abs(SimHash::normal(draw(SaltLow, i)));
        bar.high = round2(std::min(std::max(bar.open, bar.close) * (1.0 + up), hi));
        bar.low = round2(std::max(std::min(bar.open, bar.close) * (1.0 - down), lo));
        bar.high = std::max({bar.high, bar.open, bar.close});
        bar.low = std::min({bar.low, bar.open, bar.close});
        const double typical = (bar.open + bar.high + bar.low + bar.close) / 4.0;
        bar.volume = std::max<qint64>(
            1, std::llround(dayTurnover * shares[std::size_t(i)] / (info.lotSize * typical)));
        bar.turnover = round2(double(bar.volume) * info.lotSize * typical);
        cumVolume += bar.volume;
        cumTurnover += bar.turnover;
        bar.average = round3(cumTurnover / (double(cumVolume) * info.lotSize));
        d.bars.append(bar);
        prevClose = bar.close;
    }
    return d;
}

SimMarket::Day SimMarket::boardDay(int instrument, QDate tradingDay) const
{
    const SimCatalog::Board* board = catalog().boardOf(instrument);
    Day d;
    d.tradingDay = tradingDay;
    d.preClose = close(instrument, m_calendar.previousTradingDay(tradingDay));

    struct Constituent {
        double weight;
        double base;
        double frozen; // price of a suspended member
        Day day;
    };
    QList<Constituent> constituents;
    double weights = 0;
    for (const auto& m : board->members) {
        const double base = catalog().instruments().at(m.instrument).basePrice;
        constituents.append(
            {m.weight, base, close(m.instrument, tradingDay), day(m.instrument, tradingDay)});
        weights += m.weight;
    }
    const QList<qint64> stamps = m_calendar.stamps(SimCalendar::Session::AShare, tradingDay);
    const auto index = [&](qsizetype i, double Bar::*field) {
        double sum = 0;
        for (const Constituent& p : std::as_const(constituents)) {
            const double price = p.day.bars.isEmpty() ? p.frozen : p.day.bars.at(i).*field;
            sum += p.weight * price / p.base;
        }
        return round2(board->level * sum / weights);
    };

    double cumTurnover = 0;
    double cumWeighted = 0;
    for (qsizetype i = 0; i < stamps.size(); ++i) {
        Bar bar;
        bar.stamp = stamps.at(i);
        bar.open = index(i, &Bar::open);
        bar.close = index(i, &Bar::close);
        bar.high = std::max({index(i, &Bar::high), bar.open, bar.close});
        bar.low = std::min({index(i, &Bar::low), bar.open, bar.close});
        double turnover = 0;
        for (const Constituent& p : std::as_const(constituents)) {
            if (!p.day.bars.isEmpty()) {
                bar.volume += p.day.bars.at(i).volume;
                turnover += p.day.bars.at(i).turnover;
            }
        }
        bar.turnover = round2(turnover);
        cumTurnover += bar.turnover;
        cumWeighted += bar.turnover * bar.close;
        bar.average = cumTurnover > 0 ? round3(cumWeighted / cumTurnover) : bar.close;
        d.bars.append(bar);
    }
    return d;
}

SimMarket::Quote SimMarket::quote(int instrument, const QDateTime& now) const
{
    const auto& info = catalog().instruments().at(instrument);
    Quote q;
    q.instrument = instrument;
    q.tradingDay = currentTradingDay(instrument, now);
    q.name = name(instrument, q.tradingDay);
    const Day d = day(instrument, q.tradingDay);
    q.preClose = d.preClose;
    const int visible = m_calendar.visibleLines(info.session(), q.tradingDay, now);
    if (d.bars.isEmpty() || visible == 0)
        return q;
    q.traded = true;
    q.open = d.bars.constFirst().open;
    q.high = q.open;
    q.low = q.open;
    double turnover = 0;
    for (int i = 0; i < visible; ++i) {
        const Bar& bar = d.bars.at(i);
        q.high = std::max(q.high, bar.high);
        q.low = std::min(q.low, bar.low);
        q.volume += bar.volume;
        turnover += bar.turnover;
    }
    q.turnover = round2(turnover);
    q.price = d.bars.at(visible - 1).close;
    return q;
}

SimMarket::Trend SimMarket::trend(int instrument, const QDateTime& now, int days) const
{
    const auto& info = catalog().instruments().at(instrument);
    days = std::clamp(days, 1, 5);
    Trend t;
    QDate last = currentTradingDay(instrument, now);
    t.name = name(instrument, last);
    for (QDate d = last; t.days.size() < days; d = m_calendar.previousTradingDay(d))
        t.days.prepend(d);
    for (const QDate& d : std::as_const(t.days)) {
        const Day whole = day(instrument, d);
        if (d == t.days.constFirst())
            t.preClose = whole.preClose;
        if (d == last) {
            t.lastPreClose = whole.preClose;
            const int visible = m_calendar.visibleLines(info.session(), d, now);
            t.bars.append(whole.bars.mid(0, std::min<qsizetype>(visible, whole.bars.size())));
        } else {
            t.bars.append(whole.bars);
        }
    }
    return t;
}

double SimMarket::holdingsChange(const SimCatalog::Fund& fund, QDate tradingDay) const
{
    const QDate before = m_calendar.previousTradingDay(tradingDay);
    double sum = 0;
    double weights = 0;
    for (const auto& h : fund.holdings) {
        sum += h.weight * (close(h.instrument, tradingDay) / close(h.instrument, before) - 1.0);
        weights += h.weight;
    }
    return weights > 0 ? sum / weights : 0.0;
}

double SimMarket::dailyReturn(const SimCatalog::Fund& fund, qint64 ordinal, double from,
                              int direction) const
{
    const std::uint64_t k = SimHash::text(fund.code);
    if (fund.holdings.isEmpty())
        return 0.00012 + 0.00025 * SimHash::signedUnit(
                                       SimHash::of({m_seed, k, SaltBond, std::uint64_t(ordinal)}));
    const double noise =
        0.0008 *
        SimHash::signedUnit(SimHash::of({m_seed, k, SaltFundNoise, std::uint64_t(ordinal)}));
    // Averaging the daily moves of mean-reverting prices gains a little every
    // day; a gentle pull towards the fund's level, in the direction the walk
    // goes, keeps net values looking like net values years from the anchor.
    const double pull =
        std::clamp(-direction * 0.003 * std::log(from / fund.baseNav), -0.0004, 0.0004);
    return holdingsChange(fund, m_calendar.dayOfOrdinal(ordinal)) + noise + pull;
}

double SimMarket::nav(const SimCatalog::Fund& fund, QDate tradingDay) const
{
    const qint64 ordinal = m_calendar.ordinal(tradingDay);
    if (ordinal >= 0) {
        std::vector<double>& forward = m_navForward[fund.code];
        if (forward.empty())
            forward.push_back(pinnedNav(fund.code, 0).value_or(fund.baseNav));
        while (qint64(forward.size()) <= ordinal) {
            const qint64 next = qint64(forward.size());
            const double last = forward.back();
            forward.push_back(
                pinnedNav(fund.code, next)
                    .value_or(round4(last * (1.0 + dailyReturn(fund, next, last, 1)))));
        }
        return forward[std::size_t(ordinal)];
    }
    // nav(n - 1) = nav(n) / (1 + r(n)), stored for n - 1 = -1, -2, ...
    std::vector<double>& backward = m_navBackward[fund.code];
    while (qint64(backward.size()) < -ordinal) {
        const qint64 from = -qint64(backward.size()); // ordinal whose value is known
        const double known =
            backward.empty() ? pinnedNav(fund.code, 0).value_or(fund.baseNav) : backward.back();
        backward.push_back(
            pinnedNav(fund.code, from - 1)
                .value_or(round4(known / (1.0 + dailyReturn(fund, from, known, -1)))));
    }
    return backward[std::size_t(-ordinal - 1)];
}

QDate SimMarket::publishedNavDate(const QDateTime& now) const
{
    const QDateTime local = SimCalendar::toShanghai(now);
    QDate d = m_calendar.tradingDayOnOrBefore(local.date());
    if (d == local.date() && local.time() < QTime(20, 0))
        d = m_calendar.previousTradingDay(d);
    return d;
}

QDate SimMarket::publishedNavDate(const SimCatalog::Fund& fund, const QDateTime& now) const
{
    const NavRelease release = m_navReleases.value(fund.code);
    const QDateTime local = SimCalendar::toShanghai(now);
    const auto releasedAt = [&](QDate tradingDay) {
        QDate day = tradingDay;
        for (int i = 0; i < release.daysLater; ++i)
            day = m_calendar.nextTradingDay(day);
        return QDateTime(day, release.at, SimCalendar::shanghai());
    };
    QDate d = m_calendar.tradingDayOnOrBefore(local.date());
    while (releasedAt(d) > local)
        d = m_calendar.previousTradingDay(d);
    return d;
}

SimMarket::Nav SimMarket::publishedNav(const SimCatalog::Fund& fund, const QDateTime& now) const
{
    Nav out;
    out.date = publishedNavDate(fund, now);
    out.value = nav(fund, out.date);
    out.accumulated = round4(out.value + fund.accumulatedGap);
    if (!fund.launchedRecently) {
        const double before = nav(fund, m_calendar.previousTradingDay(out.date));
        out.changePercent = round2((out.value / before - 1.0) * 100.0);
    }
    return out;
}

double SimMarket::listedPrice(const SimCatalog::Fund& fund, QDate tradingDay) const
{
    const double premium =
        0.005 * SimHash::signedUnit(SimHash::of({m_seed, SimHash::text(fund.code), SaltPremium,
                                                 std::uint64_t(tradingDay.toJulianDay())}));
    return round3(nav(fund, tradingDay) * (1.0 + premium));
}

QDate SimMarket::holdingsReportDate(const QDateTime& now)
{
    const QDate today = SimCalendar::toShanghai(now).date();
    QDate quarterEnd(today.year(), ((today.month() - 1) / 3) * 3 + 1, 1);
    quarterEnd = quarterEnd.addDays(-1);
    while (quarterEnd.addDays(22) > today)
        quarterEnd = QDate(quarterEnd.year(), quarterEnd.month(), 1).addMonths(-2).addDays(-1);
    return quarterEnd;
}

void SimMarket::pinClose(int instrument, QDate tradingDay, double close)
{
    m_pinnedCloses.insert({instrument, tradingDay.toJulianDay()}, round2(close));
    forgetDerived();
}

void SimMarket::pinNav(const QString& fund, QDate tradingDay, double value)
{
    m_pinnedNavs.insert({fund, tradingDay.toJulianDay()}, round4(value));
    forgetDerived();
}

void SimMarket::closeDays(const QList<QDate>& dates)
{
    for (const QDate& date : dates)
        m_calendar.close(date);
    forgetDerived();
}

void SimMarket::setSuspended(int instrument, bool suspended)
{
    if (suspended)
        m_suspended.insert(instrument);
    else
        m_suspended.remove(instrument);
    forgetDerived();
}

void SimMarket::setNavRelease(const QString& fund, NavRelease release)
{
    m_navReleases.insert(fund, release);
}

std::optional<double> SimMarket::pinnedNav(const QString& fund, qint64 ordinal) const
{
    const auto it = m_pinnedNavs.constFind({fund, m_calendar.dayOfOrdinal(ordinal).toJulianDay()});
    return it == m_pinnedNavs.cend() ? std::nullopt : std::optional<double>(*it);
}

// Minute lines and net-value walks are built from closes, suspensions and
// pins: a changed pin makes them stale.
void SimMarket::forgetDerived()
{
    m_days.clear();
    m_navForward.clear();
    m_navBackward.clear();
}

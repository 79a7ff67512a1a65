#include "TradingCalendar.h"

#include <QTimeZone>

namespace {

constexpr int hm(int h, int m)
{
    return h * 60 + m;
}

// Closures run for days, not for months: a search for the next trading day
// that walks further has gone wrong.
constexpr int kLongestSearch = 60;

} // namespace

const TradingCalendar& TradingCalendar::builtIn()
{
    static const TradingCalendar calendar(ClosureTable::builtIn());
    return calendar;
}

QDateTime TradingCalendar::inShanghai(const QDateTime& instant)
{
    // Shanghai has kept UTC+8 all year since 1991; the fixed offset stands in
    // where the zone database is missing.
    static const QTimeZone zone = [] {
        QTimeZone z("Asia/Shanghai");
        return z.isValid() ? z : QTimeZone(8 * 3600);
    }();
    return instant.toTimeZone(zone);
}

QDate TradingCalendar::shanghaiDate(const QDateTime& instant)
{
    return inShanghai(instant).date();
}

QDate TradingCalendar::validUntil() const
{
    return m_table.lastYear == 0 ? QDate() : QDate(m_table.lastYear, 12, 31);
}

Closure TradingCalendar::dayClosure(Market market, QDate date) const
{
    const auto& days = m_table.days(market);
    const auto it = days.constFind(date);
    if (it != days.cend())
        return it->kind == ClosureTable::Kind::holiday ? Closure::holiday : Closure::makeUpDay;
    if (date.dayOfWeek() >= 6)
        return Closure::weekend;
    const auto& detected = market == Market::stocks ? m_detectedStocks : m_detectedGold;
    return detected.contains(date) ? Closure::detected : Closure::none;
}

QDate TradingCalendar::nextTradingDay(Market market, QDate date) const
{
    for (int i = 0; i < kLongestSearch; ++i) {
        date = date.addDays(1);
        if (isTradingDay(market, date))
            return date;
    }
    return date;
}

QDate TradingCalendar::previousTradingDay(Market market, QDate date) const
{
    for (int i = 0; i < kLongestSearch; ++i) {
        date = date.addDays(-1);
        if (isTradingDay(market, date))
            return date;
    }
    return date;
}

Closure TradingCalendar::nightClosure(QDate evening) const
{
    const Closure own = dayClosure(Market::gold, evening);
    // No weekend evening has a night session, worked in lieu or not.
    if (own == Closure::makeUpDay)
        return Closure::weekend;
    if (own != Closure::none)
        return own;
    // Ordinary and make-up weekends pass; a holiday or a closed day on the
    // way to the next trading day cancels the night.
    const QDate next = nextTradingDay(Market::gold, evening);
    for (QDate d = evening.addDays(1); d < next; d = d.addDays(1)) {
        const Closure c = dayClosure(Market::gold, d);
        if (c == Closure::holiday || c == Closure::detected)
            return c;
    }
    return Closure::none;
}

bool TradingCalendar::hasNightSession(QDate evening) const
{
    return nightClosure(evening) == Closure::none;
}

bool TradingCalendar::markDetected(Market market, QDate date)
{
    if (!isTradingDay(market, date))
        return false;
    (market == Market::stocks ? m_detectedStocks : m_detectedGold).insert(date);
    return true;
}

SessionAt TradingCalendar::sessionAt(Market market, const QDateTime& now) const
{
    const QDateTime local = inShanghai(now);
    const int minute = local.time().hour() * 60 + local.time().minute();
    return market == Market::stocks ? stockSession(local.date(), minute)
                                    : goldSession(local.date(), minute);
}

SessionAt TradingCalendar::stockSession(QDate date, int m) const
{
    if (const Closure c = dayClosure(Market::stocks, date); c != Closure::none)
        return {Session::none, c, QDate()};
    if ((m >= hm(9, 30) && m <= hm(11, 30)) || (m >= hm(13, 0) && m <= hm(15, 0)))
        return {Session::day, Closure::none, date};
    if (m > hm(11, 30) && m < hm(13, 0))
        return {Session::pause, Closure::none, date};
    return {Session::none, Closure::hours, QDate()};
}

SessionAt TradingCalendar::goldSession(QDate date, int m) const
{
    const Closure today = dayClosure(Market::gold, date);
    // The night runs from the evening into the small hours of the next day.
    if (m <= hm(2, 30) || m >= hm(21, 0)) {
        const QDate evening = m <= hm(2, 30) ? date.addDays(-1) : date;
        const Closure c = nightClosure(evening);
        if (c == Closure::none)
            return {Session::night, Closure::none, nextTradingDay(Market::gold, evening)};
        // A weekend or holiday says so itself; on a trading day the night
        // is off because of what lies around it.
        return {Session::none, today != Closure::none ? today : c, QDate()};
    }
    if (today != Closure::none)
        return {Session::none, today, QDate()};
    const bool auction = !hasNightSession(previousTradingDay(Market::gold, date));
    if (auction && m >= hm(8, 55) && m < hm(9, 0))
        return {Session::auction, Closure::none, date};
    if ((m >= hm(9, 0) && m <= hm(10, 15)) || (m >= hm(10, 30) && m <= hm(11, 30)) ||
        (m >= hm(13, 30) && m <= hm(15, 0)))
        return {Session::day, Closure::none, date};
    if (m > hm(10, 15) && m < hm(13, 30))
        return {Session::pause, Closure::none, date};
    return {Session::none, Closure::hours, QDate()};
}

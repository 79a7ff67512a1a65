#include "MarketHours.h"

#include <QTimeZone>

namespace MarketHours {

namespace {

const QTimeZone& shanghai()
{
    static const QTimeZone zone("Asia/Shanghai");
    return zone;
}

// "yyyy-MM-dd HH:mm", digits exactly where the pattern has them.
std::optional<QDateTime> parseStamp(const QString& text)
{
    if (text.size() != 16 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':')
        return std::nullopt;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15}) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    const QDate date(text.mid(0, 4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
    const QTime time(text.mid(11, 2).toInt(), text.mid(14, 2).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, shanghai().isValid() ? shanghai() : QTimeZone::systemTimeZone());
}

} // namespace

MarketState goldState(const TradingCalendar& calendar, const QDateTime& now, bool goldDataStale)
{
    // The pauses inside the day count as open: they show as stale data.
    const SessionAt at = calendar.sessionAt(Market::gold, now);
    if (at.session == Session::none)
        return {MarketStatus::closed, at.closure};
    return {goldDataStale ? MarketStatus::delayed : MarketStatus::trading, Closure::none};
}

MarketState stockState(const TradingCalendar& calendar, const QDateTime& now)
{
    const SessionAt at = calendar.sessionAt(Market::stocks, now);
    switch (at.session) {
    case Session::day:
        return {MarketStatus::trading, Closure::none};
    case Session::pause:
        return {MarketStatus::break_, Closure::none};
    case Session::none:
    case Session::auction:
    case Session::night:
        break;
    }
    return {MarketStatus::closed, at.closure};
}

bool showsNoTradingToday(const TradingCalendar& calendar, Market market,
                         const std::optional<TrendData>& trend, const QDateTime& now)
{
    const QDateTime local = TradingCalendar::inShanghai(now);
    // Give the provider the first minutes of the session to show them.
    const QTime settled = market == Market::stocks ? QTime(9, 35) : QTime(9, 5);
    if (!calendar.isTradingDay(market, local.date()) || local.time() < settled || !trend)
        return false;
    // The newest minute the answer has, of all it holds; an answer with no
    // readable minute says nothing.
    std::optional<QDate> newest;
    const auto consider = [&](const QString& text) {
        if (const auto stamp = parseStamp(text); stamp && (!newest || stamp->date() > *newest))
            newest = stamp->date();
    };
    consider(trend->newestTime);
    for (const TrendPoint& point : trend->points)
        consider(point.time);
    return newest && *newest < local.date();
}

bool isGoldDataStale(const std::optional<TrendData>& goldTrend, const QDateTime& now)
{
    if (!goldTrend || goldTrend->points.isEmpty())
        return true;
    // The chart may show an earlier day than the newest minute the answer held.
    const auto stamp = parseStamp(goldTrend->newestTime.isEmpty() ? goldTrend->points.last().time
                                                                  : goldTrend->newestTime);
    if (!stamp)
        return true;
    return stamp->msecsTo(now) > 120'000;
}

} // namespace MarketHours

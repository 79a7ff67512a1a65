#include "MarketHours.h"

#include <QTimeZone>

namespace MarketHours {

namespace {

const QTimeZone& shanghai()
{
    static const QTimeZone zone("Asia/Shanghai");
    return zone;
}

struct Stamp {
    QDate date;
    QTime time;
};

// "yyyy-MM-dd HH:mm", digits exactly where the pattern has them. Every
// minute of both trends is read here after each refresh, so the text is read
// in place, without a time zone: Shanghai's wall clock is what it says.
std::optional<Stamp> readStamp(QStringView text)
{
    if (text.size() != 16 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':')
        return std::nullopt;
    const auto number = [&text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            if (text[i] < u'0' || text[i] > u'9')
                return -1;
            value = value * 10 + (text[i].unicode() - u'0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0)
        return std::nullopt;
    const Stamp stamp{QDate(year, month, day), QTime(hour, minute)};
    if (!stamp.date.isValid() || !stamp.time.isValid())
        return std::nullopt;
    return stamp;
}

std::optional<QDateTime> parseStamp(QStringView text)
{
    const auto stamp = readStamp(text);
    if (!stamp)
        return std::nullopt;
    return QDateTime(stamp->date, stamp->time,
                     shanghai().isValid() ? shanghai() : QTimeZone::systemTimeZone());
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
        if (const auto stamp = readStamp(text); stamp && (!newest || stamp->date > *newest))
            newest = stamp->date;
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

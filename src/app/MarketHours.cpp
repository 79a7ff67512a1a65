#include "MarketHours.h"

#include <QTimeZone>

namespace MarketHours {

namespace {

const QTimeZone& shanghai()
{
    static const QTimeZone zone("Asia/Shanghai");
    return zone;
}

bool isWeekend(const QDate& date)
{
    return date.dayOfWeek() >= 6; // Saturday, Sunday
}

int minuteOfDay(const QTime& time)
{
    return time.hour() * 60 + time.minute();
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

QDateTime inShanghai(const QDateTime& now)
{
    return shanghai().isValid() ? now.toTimeZone(shanghai()) : now;
}

MarketStatus goldStatus(const QDateTime& now, bool goldDataStale)
{
    const QDateTime local = inShanghai(now);
    const int m = minuteOfDay(local.time());
    // The small hours belong to the night session that began the evening
    // before: Friday's runs into Saturday, and Sunday has none to run into
    // Monday.
    const bool open = m <= 150 ? !isWeekend(local.date().addDays(-1))
                               : !isWeekend(local.date()) && ((m >= 540 && m <= 900) || m >= 1260);
    if (!open)
        return MarketStatus::closed;
    return goldDataStale ? MarketStatus::delayed : MarketStatus::trading;
}

MarketStatus stockStatus(const QDateTime& now)
{
    const QDateTime local = inShanghai(now);
    if (isWeekend(local.date()))
        return MarketStatus::closed;
    const int m = minuteOfDay(local.time());
    if (m >= 570 && m <= 690)
        return MarketStatus::trading;
    if (m >= 691 && m <= 779)
        return MarketStatus::break_;
    if (m >= 780 && m <= 900)
        return MarketStatus::trading;
    return MarketStatus::closed;
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

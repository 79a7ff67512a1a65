#include "SimCalendar.h"

#include <algorithm>

namespace {

constexpr int hm(int h, int m)
{
    return h * 60 + m;
}

// Line ranges, both ends included. `onEve` ranges run on the evening of the
// previous trading day (or the calendar day after it, when `nextDay`).
struct LineRange {
    bool onEve;
    bool nextDay;
    int first;
    int last;
};

QList<LineRange> lineRanges(SimCalendar::Session session)
{
    switch (session) {
    case SimCalendar::Session::AShare:
        return {{false, false, hm(9, 30), hm(11, 30)}, {false, false, hm(13, 1), hm(15, 0)}};
    case SimCalendar::Session::HongKong:
        return {{false, false, hm(9, 30), hm(12, 0)}, {false, false, hm(13, 1), hm(16, 0)}};
    case SimCalendar::Session::ShanghaiGold:
        return {{true, false, hm(21, 1), hm(23, 59)},
                {true, true, hm(0, 0), hm(2, 30)},
                {false, false, hm(9, 1), hm(10, 15)},
                {false, false, hm(10, 31), hm(11, 30)},
                {false, false, hm(13, 31), hm(15, 0)}};
    }
    return {};
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

QTimeZone SimCalendar::shanghai()
{
    // China has kept UTC+8 without daylight saving since 1991, so a fixed
    // offset is exact for any date the simulator serves when tzdata is absent.
    static const QTimeZone zone = [] {
        QTimeZone z(QByteArrayLiteral("Asia/Shanghai"));
        return z.isValid() ? z : QTimeZone(8 * 3600);
    }();
    return zone;
}

QDateTime SimCalendar::toShanghai(const QDateTime& instant)
{
    return instant.toTimeZone(shanghai());
}

qint64 SimCalendar::minuteKey(QDate date, int minuteOfDay)
{
    return date.toJulianDay() * 1440 + minuteOfDay;
}

qint64 SimCalendar::minuteKey(const QDateTime& instant)
{
    const QDateTime local = toShanghai(instant);
    return minuteKey(local.date(), local.time().msecsSinceStartOfDay() / 60000);
}

QDate SimCalendar::keyDate(qint64 key)
{
    return QDate::fromJulianDay(floorDiv(key, 1440));
}

int SimCalendar::keyMinute(qint64 key)
{
    return int(key - floorDiv(key, 1440) * 1440);
}

QString SimCalendar::formatKey(qint64 key)
{
    const int minute = keyMinute(key);
    return keyDate(key).toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(" %1:%2")
               .arg(minute / 60, 2, 10, QLatin1Char('0'))
               .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

void SimCalendar::close(QDate date)
{
    if (m_closed.contains(date))
        return;
    m_closed.insert(date);
    if (date.dayOfWeek() <= 5)
        m_closedWeekdays.insert(
            std::lower_bound(m_closedWeekdays.begin(), m_closedWeekdays.end(), date), date);
}

bool SimCalendar::isTradingDay(QDate date) const
{
    return date.dayOfWeek() <= 5 && !m_closed.contains(date);
}

QDate SimCalendar::tradingDayOnOrBefore(QDate date) const
{
    while (!isTradingDay(date))
        date = date.addDays(-1);
    return date;
}

QDate SimCalendar::previousTradingDay(QDate date) const
{
    return tradingDayOnOrBefore(date.addDays(-1));
}

QDate SimCalendar::nextTradingDay(QDate date) const
{
    date = date.addDays(1);
    while (!isTradingDay(date))
        date = date.addDays(1);
    return date;
}

bool SimCalendar::hasNightBefore(QDate tradingDay) const
{
    const QDate eve = previousTradingDay(tradingDay);
    for (QDate d = eve.addDays(1); d < tradingDay; d = d.addDays(1)) {
        if (m_closed.contains(d))
            return false;
    }
    return true;
}

// 2024-01-01 was a Monday; any Monday would do as the origin of ordinals.
constexpr qint64 kOrdinalOrigin = 2460311;

qint64 SimCalendar::closedWeekdaysBefore(QDate date) const
{
    return std::lower_bound(m_closedWeekdays.cbegin(), m_closedWeekdays.cend(), date) -
           m_closedWeekdays.cbegin();
}

qint64 SimCalendar::ordinal(QDate tradingDay) const
{
    const qint64 days = tradingDay.toJulianDay() - kOrdinalOrigin;
    const qint64 weeks = floorDiv(days, 7);
    const qint64 weekdays = weeks * 5 + std::min<qint64>(days - weeks * 7, 4);
    // Closed weekdays take no ordinal of their own.
    return weekdays - closedWeekdaysBefore(tradingDay) +
           closedWeekdaysBefore(QDate::fromJulianDay(kOrdinalOrigin));
}

QDate SimCalendar::dayOfOrdinal(qint64 ordinal) const
{
    const qint64 weeks = floorDiv(ordinal, 5);
    QDate day = tradingDayOnOrBefore(
        QDate::fromJulianDay(kOrdinalOrigin + weeks * 7 + (ordinal - weeks * 5)));
    // Closed weekdays push the day on by as many trading days as they take.
    while (this->ordinal(day) < ordinal)
        day = nextTradingDay(day);
    while (this->ordinal(day) > ordinal)
        day = previousTradingDay(day);
    return day;
}

QList<qint64> SimCalendar::stamps(Session session, QDate tradingDay) const
{
    const QDate eve = previousTradingDay(tradingDay);
    const bool night = hasNightBefore(tradingDay);
    QList<qint64> out;
    for (const LineRange& range : lineRanges(session)) {
        if (range.onEve && !night)
            continue;
        const QDate date = range.onEve ? eve.addDays(range.nextDay ? 1 : 0) : tradingDay;
        const qint64 base = minuteKey(date, 0);
        for (int m = range.first; m <= range.last; ++m)
            out.append(base + m);
    }
    return out;
}

QDate SimCalendar::currentTradingDay(Session session, const QDateTime& instant) const
{
    const qint64 now = minuteKey(instant);
    QDate day = nextTradingDay(keyDate(now));
    while (stamps(session, day).constFirst() > now)
        day = previousTradingDay(day);
    return day;
}

int SimCalendar::visibleLines(Session session, QDate tradingDay, const QDateTime& instant) const
{
    const QList<qint64> all = stamps(session, tradingDay);
    return int(std::upper_bound(all.cbegin(), all.cend(), minuteKey(instant)) - all.cbegin());
}

QList<QPair<qint64, qint64>> SimCalendar::periods(Session session, QDate tradingDay) const
{
    const auto at = [](QDate d, int h, int m) { return minuteKey(d, hm(h, m)); };
    switch (session) {
    case Session::AShare:
        return {{at(tradingDay, 9, 30), at(tradingDay, 11, 30)},
                {at(tradingDay, 13, 0), at(tradingDay, 15, 0)}};
    case Session::HongKong:
        return {{at(tradingDay, 9, 30), at(tradingDay, 12, 0)},
                {at(tradingDay, 13, 0), at(tradingDay, 16, 0)}};
    case Session::ShanghaiGold: {
        const QDate eve = previousTradingDay(tradingDay);
        QList<QPair<qint64, qint64>> out;
        if (hasNightBefore(tradingDay))
            out.append({at(eve, 21, 0), at(eve.addDays(1), 2, 30)});
        out.append({{at(tradingDay, 9, 0), at(tradingDay, 10, 15)},
                    {at(tradingDay, 10, 30), at(tradingDay, 11, 30)},
                    {at(tradingDay, 13, 30), at(tradingDay, 15, 0)}});
        return out;
    }
    }
    return {};
}

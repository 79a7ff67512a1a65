#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QTimeZone>

// Trading calendar of the simulated markets, in Shanghai time whatever the
// machine's zone. Every Monday to Friday trades unless closed (close()): a
// closed day has no minute lines, the quotes and trends go on showing the
// trading day before it, and the gold contract holds no night session on the
// evening before a closed day, weekend or not, so the first trading day after
// one begins at 09:01.
//
// Minute lines are stamped with the end of the minute they cover, the way the
// quote service does: the A-share open auction is the 09:30 line, the first
// continuous minute is 09:31, the morning closes with 11:30 and the afternoon
// runs 13:01..15:00. A stamp is a minute key, julianDay * 1440 + minuteOfDay,
// always in Shanghai local time.
class SimCalendar {
public:
    enum class Session {
        AShare,   // 09:30 auction, 09:31-11:30, 13:01-15:00: 241 lines
        HongKong, // 09:30 auction, 09:31-12:00, 13:01-16:00: 331 lines
        // Shanghai gold futures. Night 21:01-02:30 on the calendar days it runs
        // (the evening of the previous trading day and the small hours after),
        // then 09:01-10:15, 10:31-11:30, 13:31-15:00: 555 lines, 225 after a
        // closure.
        ShanghaiGold,
    };

    // A day the exchanges keep closed: a holiday, weekend days of it included.
    void close(QDate date);
    const QSet<QDate>& closedDays() const { return m_closed; }

    static QTimeZone shanghai();
    static QDateTime toShanghai(const QDateTime& instant);

    static qint64 minuteKey(QDate date, int minuteOfDay);
    static qint64 minuteKey(const QDateTime& instant); // floors to the minute, Shanghai time
    static QDate keyDate(qint64 key);
    static int keyMinute(qint64 key);
    static QString formatKey(qint64 key); // "yyyy-MM-dd HH:mm"

    bool isTradingDay(QDate date) const;
    QDate tradingDayOnOrBefore(QDate date) const;
    QDate previousTradingDay(QDate date) const;
    QDate nextTradingDay(QDate date) const;
    // Ordinal of a trading day: consecutive trading days have consecutive ordinals.
    qint64 ordinal(QDate tradingDay) const;
    QDate dayOfOrdinal(qint64 ordinal) const;

    // Every minute line of a trading day, in time order.
    QList<qint64> stamps(Session session, QDate tradingDay) const;
    // The latest trading day with at least one line stamped at or before the
    // instant: before a day's first line the previous day is still "today".
    QDate currentTradingDay(Session session, const QDateTime& instant) const;
    // How many of the day's lines are stamped at or before the instant.
    int visibleLines(Session session, QDate tradingDay, const QDateTime& instant) const;

    // Session bounds of a trading day as [begin, end] minute keys, for the
    // "tradePeriods" block of a trend answer.
    QList<QPair<qint64, qint64>> periods(Session session, QDate tradingDay) const;

private:
    // Whether the gold night session runs on the evening before `tradingDay`.
    bool hasNightBefore(QDate tradingDay) const;
    // Closed Mondays to Fridays before `date`, for the ordinals.
    qint64 closedWeekdaysBefore(QDate date) const;

    QSet<QDate> m_closed;
    QList<QDate> m_closedWeekdays; // sorted
};

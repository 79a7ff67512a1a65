#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTimeZone>

// Trading calendar of the simulated markets, in Shanghai time whatever the
// machine's zone. Holidays are ignored: every Monday to Friday trades.
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
        // then 09:01-10:15, 10:31-11:30, 13:31-15:00: 555 lines.
        ShanghaiGold,
    };

    static QTimeZone shanghai();
    static QDateTime toShanghai(const QDateTime& instant);

    static qint64 minuteKey(QDate date, int minuteOfDay);
    static qint64 minuteKey(const QDateTime& instant); // floors to the minute, Shanghai time
    static QDate keyDate(qint64 key);
    static int keyMinute(qint64 key);
    static QString formatKey(qint64 key); // "yyyy-MM-dd HH:mm"

    static bool isTradingDay(QDate date);
    static QDate tradingDayOnOrBefore(QDate date);
    static QDate previousTradingDay(QDate date);
    static QDate nextTradingDay(QDate date);
    // Ordinal of a trading day: consecutive trading days have consecutive ordinals.
    static qint64 ordinal(QDate tradingDay);
    static QDate dayOfOrdinal(qint64 ordinal);

    // Every minute line of a trading day, in time order.
    static QList<qint64> stamps(Session session, QDate tradingDay);
    // The latest trading day with at least one line stamped at or before the
    // instant: before a day's first line the previous day is still "today".
    static QDate currentTradingDay(Session session, const QDateTime& instant);
    // How many of the day's lines are stamped at or before the instant.
    static int visibleLines(Session session, QDate tradingDay, const QDateTime& instant);

    // Session bounds of a trading day as [begin, end] minute keys, for the
    // "tradePeriods" block of a trend answer.
    static QList<QPair<qint64, qint64>> periods(Session session, QDate tradingDay);
};

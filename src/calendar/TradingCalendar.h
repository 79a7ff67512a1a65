#pragma once

#include "ClosureTable.h"

#include <QDate>
#include <QDateTime>
#include <QSet>

// Why a market is not trading at an instant, or on a day.
enum class Closure {
    none,      // it trades (an instant in a session, a trading day)
    hours,     // a trading day, outside its sessions
    weekend,   // an ordinary Saturday or Sunday
    holiday,   // a holiday closure of the table, or the night session it cancels
    makeUpDay, // a Saturday or Sunday worked in lieu (调休补班): offices open, exchanges not
    detected,  // the quotes showed no trading on a day the table calls a trading day
};

// Which part of the trading day an instant falls in.
enum class Session {
    none,    // no session; the closure says why
    auction, // gold's 08:55–08:59 call auction, held when no night session opened the day
    night,   // gold's 21:00–02:30, which counts to the next trading day
    day,     // continuous trading in the day
    pause,   // inside the day between two sessions: the A-share lunch break, gold's
             // 10:16–10:29 and 11:31–13:29
};

struct SessionAt {
    Session session = Session::none;
    Closure closure = Closure::none; // none while a session (or pause) runs
    QDate tradingDay;                // the day the session counts to; invalid without one
    bool operator==(const SessionAt&) const = default;
};

// Trading days and sessions in Shanghai time, whatever zone an instant is
// given in, from the closure table and the closures found in the quotes. A
// value: the clock is an argument of every question, never read here.
//
// Rules: weekends are closed, make-up working weekends as well; a table
// holiday is closed. A-shares trade 09:30–11:30 and 13:00–15:00. Gold trades
// 09:00–10:15, 10:30–11:30 and 13:30–15:00, and a night session from 21:00
// to 02:30 on the evening of a trading day when the next trading day is
// reached over ordinary weekend days only: the evening before a holiday and
// the evening of the last trading day before one have none, so the first
// trading day after a closure begins with the call auction at 08:55. Minutes
// count whole: 02:30, 09:00, 15:00 and 21:00 are in, 02:31 and 08:59 out.
// Past the table's last year (and before its first) every Monday to Friday
// is a trading day.
class TradingCalendar {
public:
    // Every Monday to Friday trades.
    TradingCalendar() = default;
    explicit TradingCalendar(ClosureTable table) : m_table(std::move(table)) {}
    // The closure table compiled into the program.
    static const TradingCalendar& builtIn();

    const ClosureTable& table() const { return m_table; }
    // The last day whose closures the table knows; invalid when it knows none.
    QDate validUntil() const;
    bool covers(QDate date) const { return m_table.covers(date); }

    Closure dayClosure(Market market, QDate date) const;
    bool isTradingDay(Market market, QDate date) const
    {
        return dayClosure(market, date) == Closure::none;
    }
    // Strictly after, strictly before.
    QDate nextTradingDay(Market market, QDate date) const;
    QDate previousTradingDay(Market market, QDate date) const;
    // Whether gold trades a night session from 21:00 on `evening` to 02:30
    // the next morning.
    bool hasNightSession(QDate evening) const;

    SessionAt sessionAt(Market market, const QDateTime& now) const;

    // Records that the quotes showed no trading on `date`, which the table
    // calls a trading day; false when there was nothing to record.
    bool markDetected(Market market, QDate date);

    static QDate shanghaiDate(const QDateTime& instant);
    static QDateTime inShanghai(const QDateTime& instant);

private:
    // Why the night session of `evening` is not held.
    Closure nightClosure(QDate evening) const;
    SessionAt stockSession(QDate date, int minute) const;
    SessionAt goldSession(QDate date, int minute) const;

    ClosureTable m_table;
    QSet<QDate> m_detectedStocks;
    QSet<QDate> m_detectedGold;
};

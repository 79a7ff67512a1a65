#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>

#include <optional>
#include <vector>

#include "SimCatalog.h"

// Deterministic market values for one seed: every price, volume and net value
// is a pure function of (seed, instrument, trading day, minute), so two models
// with one seed agree everywhere and a test can recompute what a route served.
//
// How the pieces agree with each other:
// - A stock's daily close is a slow random level (changes stay inside the
//   ±10% A-share limit); its minutes are a bridge from the previous close to
//   that close, so the last line of a day is that day's close and the next
//   day's previous close.
// - A board index is level * sum(w * price / basePrice) / sum(w) over its
//   constituents, so its move is the weighted average of theirs and its quote
//   is the last point of its trend.
// - A fund's daily change is its holdings' weighted change divided by their
//   total weight (they stand in for the whole portfolio), plus at most ±0.12%
//   of deterministic noise; bond funds without holdings drift a few basis
//   points a day.
// - Prices carry 2 decimals, running averages 3, net values 4.
//
// A test that replays days with figures of its own pins them (pinClose,
// pinNav, setSuspended, setNavRelease); everything derived from a pinned
// figure follows it, so the routes stay consistent with each other.
class SimMarket {
public:
    struct Bar {
        qint64 stamp = 0; // SimCalendar minute key
        double open = 0;
        double close = 0;
        double high = 0;
        double low = 0;
        qint64 volume = 0;   // lots (shares in Hong Kong, contracts for gold)
        double turnover = 0; // CNY
        double average = 0;  // running average price since the day's first line
    };

    struct Day {
        QDate tradingDay;
        double preClose = 0;
        QList<Bar> bars; // the whole day; empty while a stock is suspended
    };

    struct Quote {
        int instrument = -1;
        QString name;
        QDate tradingDay;
        bool traded = false; // false while suspended: no price, no volume
        double price = 0;
        double preClose = 0;
        double open = 0;
        double high = 0;
        double low = 0;
        qint64 volume = 0;
        double turnover = 0;
        double change() const;        // price - preClose, 2 decimals
        double changePercent() const; // 2 decimals
    };

    struct Trend {
        QString name;
        QList<QDate> days;       // oldest first; the last one is the current trading day
        double preClose = 0;     // close of the trading day before the first day shown
        double lastPreClose = 0; // close of the trading day before the last day shown
        QList<Bar> bars;         // whole earlier days, then the current day up to the instant
    };

    struct Nav {
        QDate date;
        double value = 0;
        double accumulated = 0;
        std::optional<double> changePercent; // empty for a fund too new to have one
    };

    // When a trading day's net value comes out: `daysLater` trading days
    // after that day, at `at` Shanghai time. Most funds publish the same
    // evening; funds holding foreign stocks a day or two later.
    struct NavRelease {
        int daysLater = 0;
        QTime at = QTime(20, 0);
    };

    explicit SimMarket(quint64 seed = 1);

    quint64 seed() const { return m_seed; }
    const SimCatalog& catalog() const { return SimCatalog::instance(); }
    const SimCalendar& calendar() const { return m_calendar; }

    bool isSuspended(int instrument) const { return m_suspended.contains(instrument); }
    QList<int> suspended() const;
    QString name(int instrument, QDate tradingDay) const;
    QDate currentTradingDay(int instrument, const QDateTime& now) const;

    double close(int instrument, QDate tradingDay) const;
    Day day(int instrument, QDate tradingDay) const;
    Quote quote(int instrument, const QDateTime& now) const;
    Trend trend(int instrument, const QDateTime& now, int days) const;

    // Fractional change of the fund's holdings on a trading day, weighted and
    // divided by the holdings' total weight; 0 for a fund without stocks.
    double holdingsChange(const SimCatalog::Fund& fund, QDate tradingDay) const;
    double nav(const SimCatalog::Fund& fund, QDate tradingDay) const;
    // The latest net value out at `now`, by the fund's release rule.
    Nav publishedNav(const SimCatalog::Fund& fund, const QDateTime& now) const;
    // The latest trading day whose net value is out at `now` under the
    // default rule (20:00 Shanghai time on the day itself), or under the
    // fund's own rule.
    QDate publishedNavDate(const QDateTime& now) const;
    QDate publishedNavDate(const SimCatalog::Fund& fund, const QDateTime& now) const;
    // Exchange price of a listed fund (LOF) at the close of a trading day: the
    // day's net value give or take a small premium, 3 decimals.
    double listedPrice(const SimCatalog::Fund& fund, QDate tradingDay) const;
    // The quarter whose holdings report is out (22 days after the quarter).
    static QDate holdingsReportDate(const QDateTime& now);

    // Pins a stock's close on a trading day (2 decimals, as prices are
    // served): the day's minutes run from the previous close to it, and its
    // quote change is read from the two closes.
    void pinClose(int instrument, QDate tradingDay, double close);
    // Pins a fund's net value on a trading day; its published change is read
    // from it and the value of the trading day before.
    void pinNav(const QString& fund, QDate tradingDay, double value);
    void setSuspended(int instrument, bool suspended);
    void setNavRelease(const QString& fund, NavRelease release);
    // Closes the exchanges on these days (SimCalendar::close).
    void closeDays(const QList<QDate>& dates);

private:
    std::uint64_t key(int instrument) const;
    double level(int instrument, qint64 ordinal) const;
    // The fund's return on a trading day, walking from the net value `from`
    // forwards (direction 1) or backwards (-1) in time.
    double dailyReturn(const SimCatalog::Fund& fund, qint64 ordinal, double from,
                       int direction) const;
    Day stockDay(int instrument, QDate tradingDay) const;
    Day boardDay(int instrument, QDate tradingDay) const;
    std::optional<double> pinnedNav(const QString& fund, qint64 ordinal) const;
    void forgetDerived();

    quint64 m_seed;
    SimCalendar m_calendar;
    QSet<int> m_suspended;
    mutable QHash<QPair<int, qint64>, Day> m_days;
    // Net values walk from an anchor (ordinal 0) in both directions, one
    // trading day at a time; each fund keeps the stretch computed so far.
    mutable QHash<QString, std::vector<double>> m_navForward;  // ordinal 0, 1, 2, ...
    mutable QHash<QString, std::vector<double>> m_navBackward; // ordinal -1, -2, ...
    QHash<QPair<int, qint64>, double> m_pinnedCloses;          // (instrument, julian day)
    QHash<QPair<QString, qint64>, double> m_pinnedNavs;        // (fund, julian day)
    QHash<QString, NavRelease> m_navReleases;
};

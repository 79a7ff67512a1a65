#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringView>

#include <optional>

// The two markets the program follows: the A-share market and the Shanghai
// Futures Exchange, where the gold main contract trades.
enum class Market { stocks, gold };

// The days the exchanges keep closed beyond the ordinary weekend, as the
// yearly closure notices give them, read from the text of
// data/market-closures.txt (whose header describes the format and where each
// year comes from).
struct ClosureTable {
    enum class Kind {
        holiday,   // closed for a holiday (a weekend day inside its range too)
        makeUpDay, // a weekend day worked in lieu (调休补班); the exchanges stay closed
    };
    struct Day {
        Kind kind = Kind::holiday;
        QString name; // "春节"
        bool operator==(const Day&) const = default;
    };

    // The years whose notices are in the table, first to last without a gap;
    // both 0 when it has none.
    int firstYear = 0;
    int lastYear = 0;
    QMap<QDate, Day> stocks;
    QMap<QDate, Day> gold;

    const QMap<QDate, Day>& days(Market market) const
    {
        return market == Market::stocks ? stocks : gold;
    }
    // The market's holiday closures, weekend days of them included, in order.
    QList<QDate> holidays(Market market) const;
    // Whether the notices of the date's year are in the table.
    bool covers(QDate date) const
    {
        return firstYear != 0 && date.year() >= firstYear && date.year() <= lastYear;
    }

    bool operator==(const ClosureTable&) const = default;

    // The whole text or nothing: a table half read would put trading days
    // where the exchanges are closed. `error` gets the reason ("line 12: …").
    static std::optional<ClosureTable> parse(QStringView text, QString* error = nullptr);

    // The table compiled into the program; empty (every weekday trades) if it
    // does not read, which is logged.
    static const ClosureTable& builtIn();
};

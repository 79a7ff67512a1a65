#pragma once

#include "QuoteRecords.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What the user's own holdings are worth and what they made: pure
// arithmetic on the figures of a refresh, in fen (see Money).
//
// A fund's latest value is its estimate while there is one (rounded to the
// four decimals it is shown with), else its published value. Its day's
// profit is
// - while estimating: shares × (estimate − published value), an estimate;
// - once the day's value is out (FundDetail::navIsCurrent): shares × (value −
//   previous value), confirmed. The provider gives the published change,
//   not the previous value; that is value / (1 + change), rounded to the four
//   decimals funds publish, which is the previous value itself unless the
//   change's two decimals leave it in doubt;
// - otherwise, for a fund with a published change and no estimate (a QDII
//   fund whose value comes a day or two late, a bond fund during the day):
//   the same, for the fund's own value date, which is not today's;
// - absent when the fund published no change (a fund too new to have one)
//   and has no estimate.
// The holding profit is shares × (latest value − cost), with a cost.
//
// Gold: grams × (price − previous settlement) for the day, grams × (price −
// cost) in all; its day is the trading day of the quote, the night session
// being the next day's.
namespace Profit {

// What the user holds of one fund or of gold: shares or grams, and what one
// share or gram cost, both in Money units (1/10 000).
struct Position {
    qint64 quantity = 0;
    std::optional<qint64> cost;

    bool operator==(const Position&) const = default;
};

// Fund shares are kept with two decimals, grams and prices per unit with four.
constexpr int shareDecimals = 2;
constexpr int gramDecimals = 4;
constexpr int costDecimals = 4;
// Bounds of what is entered and stored, in units: below ten billion shares
// or grams, and a million yuan a unit.
constexpr qint64 quantityLimit = 10'000'000'000LL * 10'000;
constexpr qint64 costLimit = 1'000'000LL * 10'000;

enum class DayKind {
    estimated, // from the intraday estimate ("估")
    confirmed, // from the day's published value ("已更新")
    earlier,   // from a published value of an earlier day than the market's
    market,    // gold: from the live price
};

struct Day {
    qint64 fen = 0;
    DayKind kind = DayKind::estimated;
    QString date; // the value date, for confirmed and earlier; as delivered

    bool operator==(const Day&) const = default;
};

struct Figures {
    std::optional<qint64> value; // fen
    std::optional<Day> today;
    std::optional<qint64> holdingProfit; // fen; only with a cost
    // holding profit over what the holding cost, in percent; only with a
    // cost above 0 and something held
    std::optional<double> holdingRatePct;

    bool operator==(const Figures&) const = default;
};

Figures fund(const Position& position, const FundDetail& fund);
Figures gold(const Position& position, const GoldQuote& quote);

// Everything held, added up.
struct Summary {
    int funds = 0;        // fund holdings with figures
    int missingFunds = 0; // fund holdings of watched funds without figures yet
    bool gold = false;    // a gold holding with figures
    std::optional<qint64> value;
    // The day's profit of the holdings whose day is the market's: estimated
    // while any of them is, confirmed once every fund's is, market with gold
    // alone. Absent when none has one.
    std::optional<Day> today;
    int earlierFunds = 0; // funds whose profit belongs to an earlier day: not in `today`
    std::optional<qint64> holdingProfit;
    std::optional<double> holdingRatePct; // over the holdings with a cost

    bool operator==(const Summary&) const = default;
    bool isEmpty() const { return funds == 0 && missingFunds == 0 && !gold; }
};

// `positions` by fund code; only the watched funds (those in `funds`, or
// listed in `watched`) count.
Summary summarize(const QMap<QString, Position>& positions, const QList<FundDetail>& funds,
                  const QStringList& watched, const std::optional<Position>& goldPosition,
                  const std::optional<GoldQuote>& goldQuote);

// "估", "已更新", the value date ("06-03") for an earlier day, nothing for gold.
QString tag(const Day& day);

// A sum of money as shown: signed or not, "****" while amounts are hidden,
// "--" when absent.
QString amount(std::optional<qint64> fen, bool hidden);
QString signedAmount(std::optional<qint64> fen, bool hidden);

// The status bar's line: "今日收益 +123.45（估）", "今日收益 ****（已更新）",
// "今日收益 --"; with the funds left out when there are any: "（估，不含 1 只
// 净值滞后的基金）".
QString todayLine(const Summary& summary, bool hidden);

} // namespace Profit

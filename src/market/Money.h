#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Sums of money worked out in whole numbers, so that what the user holds
// comes out to the fen exactly as a bank would write it, whatever the order
// it is added up in. Quantities (fund shares, grams of gold) and prices per
// unit (net values, costs, the gold price) are counted in units of 1/10 000;
// sums of money in fen. Multiplying the two gives 1/10^8 yuan, which is
// rounded half away from zero (四舍五入) to the fen.
namespace Money {

constexpr int unitDecimals = 4;
constexpr qint64 unitsPerOne = 10'000;

// A figure of the provider (a net value, a price, each with at most four
// decimals) in units, rounded to the nearest unit; absent when it is not a
// number or too large to work with.
std::optional<qint64> units(double value);

// quantity × price, both in units, in fen; absent when it overflows.
std::optional<qint64> fen(qint64 quantity, qint64 price);

// a + b; absent when it overflows.
std::optional<qint64> add(qint64 a, qint64 b);

// Typed text as units. Blanks and thousands separators are ignored,
// full-width digits and "．" read as their ASCII forms; at most `decimals`
// decimals (at most unitDecimals), below `limit` units.
enum class ParseError { empty, notNumber, negative, tooPrecise, tooLarge };
struct Parsed {
    std::optional<qint64> units;
    std::optional<ParseError> error;
};
Parsed parse(QStringView text, int decimals, qint64 limit);

// Units as a plain decimal text with exactly `decimals` decimals (at most
// unitDecimals), rounded half away from zero: 123400, 2 → "12.34"; 5, 0 → "0".
QString text(qint64 units, int decimals);

} // namespace Money

#pragma once

#include <QString>

#include <optional>

// Number texts of the panel. Locale-free on purpose: the decimal point is
// always "." and there are no thousands separators, whatever the desktop's
// language.
namespace Format {

QString price(double x);  // "%.2f"
QString nav(double x);    // "%.4f": funds publish four decimals, and a day's move is small
QString pct(double x);    // "%+.2f%%": the input is already in percent
QString amount(double x); // 亿 from 100 000 000, 万 from 10 000, else plain

// What stands where a figure is absent: "--".
QString absent();

// The same for a figure the provider may not have: absent() without one.
QString price(std::optional<double> x);
QString pct(std::optional<double> x);
QString amount(std::optional<double> x);

// Sums of money in fen, grouped by thousands as money is written:
// "1,234.56", "-0.05"; signed: "+1,234.56", "-1,234.56", and "0.00" for none.
QString money(qint64 fen);
QString signedMoney(qint64 fen);
// Whole yuan, rounded half away from zero, signed, for the tray: "+1,234".
QString signedYuan(qint64 fen);
// A plain decimal number with its whole part grouped by thousands:
// "-12345.6789" → "-12,345.6789".
QString grouped(const QString& number);
// What stands for a sum of money while amounts are hidden: "****".
QString masked();

// printf's "%.<decimals>f", without the C library's locale.
QString fixed(double x, int decimals);

} // namespace Format

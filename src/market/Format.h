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

// printf's "%.<decimals>f", without the C library's locale.
QString fixed(double x, int decimals);

} // namespace Format

#pragma once

#include "QuoteRecords.h"

#include <QMap>
#include <QString>

#include <optional>

// A fund's change today estimated from the day's changes of its disclosed top
// holdings, weighted by their share of the fund and renormalised over the
// holdings that could be priced.
namespace FundEstimator {

// The code under which the quote service reports a holding: codes of seven
// or more characters are cut to their last six (user-perceived) characters.
QString normalizeCode(const QString& code);

// Weighted mean change in percent, absent when no holding could be priced.
std::optional<double> estimateChangePct(const QList<FundHolding>& holdings,
                                        const QMap<QString, double>& stockMap);

// nav × (1 + changePct / 100), unrounded.
double estimateNav(double nav, double changePct);

} // namespace FundEstimator

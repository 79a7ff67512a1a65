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

// How much of a fund the estimate rests on. The estimate renormalises over
// the priced holdings, so a fund whose priced holdings make up 45 % of its
// assets is estimated as if they were all of it; this says how far that is
// from the truth.
struct Coverage {
    double weightPct = 0; // sum of the priced holdings' weights, percent of net assets
    int priced = 0;       // holdings found in the change map
    int holdings = 0;     // all disclosed holdings

    bool operator==(const Coverage&) const = default;
};

// Looks the holdings up exactly as estimateChangePct does.
Coverage coverage(const QList<FundHolding>& holdings, const QMap<QString, double>& stockMap);

} // namespace FundEstimator

#pragma once

#include "market/QuoteRecords.h"

#include <QJsonObject>

class MenuBarController;

// The one JSON object `quotara --once` prints: the controller's published
// state after a refresh, records written with their field names.
namespace OnceReport {

QJsonObject build(MenuBarController& controller);

// One entry of "funds": the detail with its fields, plus "estimateTrust"
// (EstimateLog::toJson of the controller's figures for it) and "holding":
// null, or what the user holds of it with every figure (Profit::fund):
// {"shares", "cost", "value", "todayProfit", "todayKind", "todayDate",
// "holdingProfit", "holdingRatePct"}, sums of money in yuan, an absent
// figure null. The object's "holdings" has the same for gold ("grams" in
// place of "shares"), the sums over everything held ("summary") and
// "hideAmounts"; the JSON is for scripts and hides nothing.
QJsonObject fund(const MenuBarController& controller, const FundDetail& detail);

} // namespace OnceReport

#pragma once

#include "market/QuoteRecords.h"

#include <QJsonObject>

class MenuBarController;

// The one JSON object `quotara --once` prints: the controller's published
// state after a refresh, records written with their field names.
namespace OnceReport {

QJsonObject build(MenuBarController& controller);

// One entry of "funds": the detail with its fields, plus "estimateTrust"
// (EstimateLog::toJson of the controller's figures for it).
QJsonObject fund(const MenuBarController& controller, const FundDetail& detail);

} // namespace OnceReport

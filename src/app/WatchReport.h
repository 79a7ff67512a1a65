#pragma once

#include "market/EstimateLog.h"
#include "market/QuoteRecords.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

class MenuBarController;

// What `quotara --watch` prints after every refresh cycle, and what the
// status item's tool tip shows: the title, a few lines of summary and a
// class a status bar can style.
namespace WatchReport {

// "up" or "down" while the figure's market is open (the title's arrow),
// "closed" when the title has no arrow, "error" when the last refresh failed
// (the title then still shows the last good figure).
QString statusClass(const MenuBarController& controller);

// Gold, the current board and each fund's estimate, one per line, the day's
// profit of the user's holdings when there are any ("今日收益 +123.45（估）",
// amounts hidden as "****" when the user hides them), then the messages of
// whatever failed, alerts that could not be shown included.
QStringList tooltipLines(const MenuBarController& controller);
QString tooltip(const MenuBarController& controller);

// One fund's line: its estimate when there is one, else its last published
// value; then, when given, how far to trust the estimate.
QString fundLine(const FundDetail& fund, const std::optional<EstimateTrust>& trust = {});

// waybar's custom-module JSON: {"text", "tooltip", "class"}, plus "funds"
// ([{"code", "name", "estimateTrust"}], the figures of `--once`), which
// waybar ignores and scripts may read.
QJsonObject waybar(const MenuBarController& controller);

} // namespace WatchReport

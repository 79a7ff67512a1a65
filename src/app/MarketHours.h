#pragma once

#include "MarketStatus.h"
#include "market/QuoteRecords.h"

#include <QDateTime>

#include <optional>

// Whether the two markets are open, from the clock alone (every Monday to
// Friday is a trading day). The clock is read in Shanghai time whatever zone
// the machine is set to: a user abroad still follows Shanghai's hours.
namespace MarketHours {

// Gold: 09:00–15:00 and 21:00–23:59 on weekdays, and 00:00–02:30 after a
// weekday's night (so Saturday's small hours, not Monday's), minutes
// inclusive; open hours are `delayed` when the gold data are stale.
MarketStatus goldStatus(const QDateTime& now, bool goldDataStale);

// A-shares: 09:30–11:30 and 13:00–15:00 trading, 11:31–12:59 the midday break.
MarketStatus stockStatus(const QDateTime& now);

// True when there is no gold trend, its newest stamp (TrendData::newestTime,
// else the last point's) does not read as "yyyy-MM-dd HH:mm" (Shanghai
// time), or it is more than 120 s old.
bool isGoldDataStale(const std::optional<TrendData>& goldTrend, const QDateTime& now);

// `now` as Shanghai wall-clock time.
QDateTime inShanghai(const QDateTime& now);

} // namespace MarketHours

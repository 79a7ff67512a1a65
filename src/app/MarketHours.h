#pragma once

#include "MarketStatus.h"
#include "calendar/TradingCalendar.h"
#include "market/QuoteRecords.h"

#include <QDateTime>

#include <optional>

// Whether the two markets are open, from the trading calendar and the clock.
// The clock is read in Shanghai time whatever zone the machine is set to: a
// user abroad still follows Shanghai's hours.
namespace MarketHours {

// Gold: open through its trading day, 09:00 (08:55 with the auction after a
// closure) to 15:00 with the pauses, and in its night sessions; open hours
// are `delayed` when the gold data are stale.
MarketState goldState(const TradingCalendar& calendar, const QDateTime& now, bool goldDataStale);

// A-shares: 09:30–11:30 and 13:00–15:00 trading, 11:31–12:59 the midday break.
MarketState stockState(const TradingCalendar& calendar, const QDateTime& now);

// True when there is no gold trend, its newest stamp (TrendData::newestTime,
// else the last point's) does not read as "yyyy-MM-dd HH:mm" (Shanghai
// time), or it is more than 120 s old.
bool isGoldDataStale(const std::optional<TrendData>& goldTrend, const QDateTime& now);

// Whether an answer shows that `market` is not trading today although the
// calendar says it is: past 09:35 for the A-shares (09:05 for gold) on a
// trading day, the trend holds minutes, but none of today's. The board's
// trend speaks for the A-shares, the gold trend for gold.
bool showsNoTradingToday(const TradingCalendar& calendar, Market market,
                         const std::optional<TrendData>& trend, const QDateTime& now);

} // namespace MarketHours

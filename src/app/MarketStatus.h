#pragma once

#include "calendar/TradingCalendar.h"

#include <QString>

// The state of one market as the panel and the tray show it.
enum class MarketStatus { trading, delayed, break_, closed };

// A market's state with, while it is closed, the reason.
struct MarketState {
    MarketStatus status = MarketStatus::closed;
    Closure closure = Closure::none; // none unless closed
    bool operator==(const MarketState&) const = default;
};

// The badge label: "交易中", "数据延迟", "午休", "已收盘"; "休市" for a market
// closed all day on a weekday or a make-up weekend (a holiday, a make-up day,
// a day the quotes showed closed).
QString badgeLabel(MarketStatus status, Closure closure = Closure::none);
// The machine-readable name: "trading", "delayed", "break", "closed".
QString statusKey(MarketStatus status);
// The reason's name: "hours", "weekend", "holiday", "makeUpDay", "detected";
// empty for none.
QString closureKey(Closure closure);
// Whether the badge says "休市" for this reason.
bool isDayOff(Closure closure);

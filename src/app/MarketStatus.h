#pragma once

#include <QString>

// The state of one market as the panel and the tray show it.
enum class MarketStatus { trading, delayed, break_, closed };

// The badge label: "交易中", "数据延迟", "午休", "已收盘".
QString badgeLabel(MarketStatus status);
// The machine-readable name: "trading", "delayed", "break", "closed".
QString statusKey(MarketStatus status);

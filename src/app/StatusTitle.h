#pragma once

#include "MarketStatus.h"
#include "market/QuoteRecords.h"

#include <QList>
#include <QString>

#include <optional>

// The one figure the tray shows: the gold price, or the index of the board
// the user chose, with a ▲/▼ arrow while that market is open.
namespace StatusTitle {

struct Inputs {
    std::optional<QString> source; // absent or "gold": the gold price; else a board code
    std::optional<GoldQuote> gold;
    QList<SectorQuote> allSectors;
    std::optional<SectorQuote> sector; // the current board, used when the chosen one has no quote
    MarketStatus goldStatus = MarketStatus::closed;
    MarketStatus stockStatus = MarketStatus::closed;
};

// "▲ 612.35", "612.35" or "--": "--" also for a board without an index,
// and no arrow for one without a change.
QString text(const Inputs& inputs);

} // namespace StatusTitle

#pragma once

#include "MarketStatus.h"
#include "market/QuoteRecords.h"

#include <QList>
#include <QString>

#include <optional>

// The one figure the tray shows: the gold price, the index of the board
// the user chose, or the day's profit of the user's holdings, with a ▲/▼
// arrow while that market is open.
namespace StatusTitle {

// The source that shows the day's profit.
inline const QString profitSource = QStringLiteral("profit");

struct Inputs {
    // Absent or "gold": the gold price; profitSource: the day's profit; else a board code.
    std::optional<QString> source;
    std::optional<GoldQuote> gold;
    QList<SectorQuote> allSectors;
    std::optional<SectorQuote> sector; // the current board, used when the chosen one has no quote
    MarketStatus goldStatus = MarketStatus::closed;
    MarketStatus stockStatus = MarketStatus::closed;
    std::optional<qint64> todayProfit; // fen, over all holdings
    bool hideAmounts = false;
};

// "▲ 612.35", "612.35" or "--": "--" also for a board without an index,
// and no arrow for one without a change. The day's profit in whole yuan,
// its arrow by its sign while either market is open: "▲ +1,234", "▼ -56",
// "▲ ****" while amounts are hidden.
QString text(const Inputs& inputs);

} // namespace StatusTitle

#pragma once

#include "QuoteRecords.h"

#include <QList>

#include <optional>

// What is published when the provider answers a figure with a placeholder:
// the value that figure had at the last answer that brought one. A board's
// index does not drop to nothing for a cycle because one answer lacked it,
// and the title keeps showing the last index rather than "--".
//
// Records are matched by code; each figure is taken from the new record
// when it has one and from the last record otherwise. A record whose code
// is not among the last ones (a board just added, another board chosen)
// keeps its figures as they came, absent ones included. Texts always come
// from the new record.
namespace LastGood {

SectorQuote merge(SectorQuote fresh, const std::optional<SectorQuote>& last);
// In the order of `fresh`; records only in `last` are not brought back.
QList<SectorQuote> merge(QList<SectorQuote> fresh, const QList<SectorQuote>& last);
QList<StockQuote> merge(QList<StockQuote> fresh, const QList<StockQuote>& last);

} // namespace LastGood

#include "LastGood.h"

#include <QHash>

namespace LastGood {

namespace {

void keep(std::optional<double>& figure, const std::optional<double>& last)
{
    if (!figure)
        figure = last;
}

void fill(SectorQuote& fresh, const SectorQuote& last)
{
    keep(fresh.index, last.index);
    keep(fresh.changePct, last.changePct);
    keep(fresh.prevIndex, last.prevIndex);
    keep(fresh.amount, last.amount);
}

void fill(StockQuote& fresh, const StockQuote& last)
{
    keep(fresh.price, last.price);
    keep(fresh.changePct, last.changePct);
    keep(fresh.amount, last.amount);
}

// A row without a code cannot be told from another one without a code.
template <typename Quote> QList<Quote> mergeByCode(QList<Quote> fresh, const QList<Quote>& last)
{
    QHash<QString, const Quote*> byCode;
    for (const Quote& q : last) {
        if (!q.code.isEmpty() && !byCode.contains(q.code))
            byCode.insert(q.code, &q);
    }
    for (Quote& q : fresh) {
        if (const Quote* before = byCode.value(q.code))
            fill(q, *before);
    }
    return fresh;
}

} // namespace

SectorQuote merge(SectorQuote fresh, const std::optional<SectorQuote>& last)
{
    if (last && !fresh.code.isEmpty() && last->code == fresh.code)
        fill(fresh, *last);
    return fresh;
}

QList<SectorQuote> merge(QList<SectorQuote> fresh, const QList<SectorQuote>& last)
{
    return mergeByCode(std::move(fresh), last);
}

QList<StockQuote> merge(QList<StockQuote> fresh, const QList<StockQuote>& last)
{
    return mergeByCode(std::move(fresh), last);
}

} // namespace LastGood

#include "StatusTitle.h"

#include "market/Format.h"

namespace StatusTitle {

namespace {

QString arrow(double change)
{
    return change >= 0 ? QStringLiteral("▲ ") : QStringLiteral("▼ ");
}

QString withArrow(double value, double changePct)
{
    return arrow(changePct) + Format::price(value);
}

bool isOpen(MarketStatus status)
{
    return status == MarketStatus::trading || status == MarketStatus::delayed;
}

QString profit(const Inputs& in)
{
    if (!in.todayProfit)
        return Format::absent();
    const QString figure = in.hideAmounts ? Format::masked() : Format::signedYuan(*in.todayProfit);
    // The sum moves with the funds' holdings and with gold: either market
    // open keeps the arrow.
    if (isOpen(in.goldStatus) || in.stockStatus == MarketStatus::trading)
        return arrow(double(*in.todayProfit)) + figure;
    return figure;
}

} // namespace

QString text(const Inputs& in)
{
    const QString source = in.source.value_or(QStringLiteral("gold"));
    if (source == profitSource)
        return profit(in);
    if (source == QStringLiteral("gold")) {
        if (!in.gold)
            return QStringLiteral("--");
        return isOpen(in.goldStatus) ? withArrow(in.gold->priceCNY, in.gold->changePct)
                                     : Format::price(in.gold->priceCNY);
    }

    std::optional<SectorQuote> quote;
    for (const SectorQuote& s : in.allSectors) {
        if (s.code == source) {
            quote = s;
            break;
        }
    }
    if (!quote)
        quote = in.sector; // e.g. a board just added, before its first refresh
    // A board that never had an index (placeholders since it was added)
    // reads "--"; the controller keeps the last index the provider had.
    if (!quote || !quote->index)
        return Format::absent();
    // Without a change there is no direction to show.
    if (in.stockStatus == MarketStatus::trading && quote->changePct)
        return withArrow(*quote->index, *quote->changePct);
    return Format::price(*quote->index);
}

} // namespace StatusTitle

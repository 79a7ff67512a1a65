#include "StatusTitle.h"

#include "market/Format.h"

namespace StatusTitle {

namespace {

QString withArrow(double value, double changePct)
{
    return (changePct >= 0 ? QStringLiteral("▲ ") : QStringLiteral("▼ ")) + Format::price(value);
}

} // namespace

QString text(const Inputs& in)
{
    const QString source = in.source.value_or(QStringLiteral("gold"));
    if (source == QStringLiteral("gold")) {
        if (!in.gold)
            return QStringLiteral("--");
        const bool open =
            in.goldStatus == MarketStatus::trading || in.goldStatus == MarketStatus::delayed;
        return open ? withArrow(in.gold->priceCNY, in.gold->changePct)
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

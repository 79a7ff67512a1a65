// The stored holdings, from the preference's bytes on, and the sums made
// from them.
#include "FuzzCheck.h"
#include "config/Holdings.h"
#include "market/Profit.h"

#include <cmath>

namespace {

// A fund as a refresh publishes it during the day, and gold, with figures
// as large as the provider sends.
FundDetail estimatedFund(const QString& code)
{
    FundDetail fund;
    fund.quote = FundQuote{.code = code,
                           .name = code,
                           .nav = 9.8765,
                           .navChangePct = -1.23,
                           .navDate = QStringLiteral("2024-06-03"),
                           .navChangeMissing = false};
    fund.estNav = 9.9012;
    fund.estChangePct = 0.25;
    return fund;
}

bool finiteWhenThere(const std::optional<double>& x)
{
    return !x || std::isfinite(*x);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto holdings = Holdings::fromJson(inputBytes(data, size));
    if (!holdings)
        return 0;
    // Only what can be typed is ever read: no figure past its bound.
    const auto inBounds = [](const Profit::Position& p) {
        return p.quantity >= 0 && p.quantity < Profit::quantityLimit &&
               (!p.cost || (*p.cost >= 0 && *p.cost < Profit::costLimit));
    };
    QList<FundDetail> funds;
    for (auto it = holdings->funds.begin(); it != holdings->funds.end(); ++it) {
        require(inBounds(*it), "a stored fund holding is within its bounds");
        funds.append(estimatedFund(it.key()));
        const Profit::Figures figures = Profit::fund(*it, funds.last());
        require(finiteWhenThere(figures.holdingRatePct), "a fund's rate is finite");
    }
    if (holdings->gold) {
        require(inBounds(*holdings->gold), "the stored gold holding is within its bounds");
    }
    GoldQuote gold;
    gold.priceCNY = 612.34;
    gold.prevCNY = 605.5;
    const Profit::Summary summary =
        Profit::summarize(holdings->funds, funds, {}, holdings->gold, gold);
    require(finiteWhenThere(summary.holdingRatePct), "the overall rate is finite");
    require(summary.funds + summary.missingFunds == holdings->funds.size(),
            "every watched holding is counted once");

    // Any change is written back whole: what was read must survive it.
    const QByteArray written = holdings->toJson();
    const auto reread = Holdings::fromJson(written);
    require(reread.has_value(), "written holdings read back");
    require(*reread == *holdings, "written holdings read back equal");
    require(reread->toJson() == written, "reread holdings write the same bytes");
    return 0;
}

#include "FundEstimator.h"

#include <QTextBoundaryFinder>

namespace FundEstimator {

QString normalizeCode(const QString& code)
{
    QList<qsizetype> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, code);
    for (qsizetype at = finder.toNextBoundary(); at != -1; at = finder.toNextBoundary())
        boundaries.append(at);
    // boundaries holds the end of every character, so its size is the count.
    if (boundaries.size() < 7)
        return code;
    const qsizetype start = boundaries[boundaries.size() - 7];
    return code.mid(start);
}

std::optional<double> estimateChangePct(const QList<FundHolding>& holdings,
                                        const QMap<QString, double>& stockMap)
{
    double weightedSum = 0;
    double weightTotal = 0;
    for (const FundHolding& holding : holdings) {
        const auto it = stockMap.constFind(normalizeCode(holding.code));
        if (it == stockMap.constEnd())
            continue;
        weightedSum += holding.weight * it.value();
        weightTotal += holding.weight;
    }
    if (!(weightTotal > 0))
        return std::nullopt;
    return weightedSum / weightTotal;
}

double estimateNav(double nav, double changePct)
{
    return nav * (1 + changePct / 100);
}

Coverage coverage(const QList<FundHolding>& holdings, const QMap<QString, double>& stockMap)
{
    Coverage c;
    c.holdings = int(holdings.size());
    for (const FundHolding& holding : holdings) {
        if (!stockMap.contains(normalizeCode(holding.code)))
            continue;
        c.weightPct += holding.weight;
        ++c.priced;
    }
    return c;
}

} // namespace FundEstimator

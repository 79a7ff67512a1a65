#include "AlertEngine.h"

namespace AlertEngine {

namespace {

// Price-like figures re-arm by a relative margin, percentages by an absolute one.
bool isRelative(const AlertRule& rule)
{
    switch (rule.targetType) {
    case AlertTargetType::goldCNY:
        return true;
    case AlertTargetType::sector:
        return false;
    case AlertTargetType::fund:
        return rule.fundMetric.value_or(FundMetric::nav) == FundMetric::nav;
    }
    return true;
}

} // namespace

Values extractValues(const std::optional<GoldQuote>& gold, const QList<SectorQuote>& sectors,
                     const QList<FundDetail>& funds)
{
    Values values;
    if (gold)
        values.insert(QStringLiteral("goldCNY"), gold->priceCNY);
    for (const SectorQuote& s : sectors) {
        if (s.changePct)
            values.insert(QStringLiteral("sector_") + s.code, *s.changePct);
    }
    for (const FundDetail& f : funds) {
        if (const auto change = f.quote.navChange())
            values.insert(QStringLiteral("fund_pct_") + f.quote.code, *change);
        values.insert(QStringLiteral("fund_nav_") + f.quote.code, f.quote.nav);
    }
    return values;
}

QString ruleKey(const AlertRule& rule)
{
    switch (rule.targetType) {
    case AlertTargetType::goldCNY:
        return QStringLiteral("goldCNY");
    case AlertTargetType::sector:
        return QStringLiteral("sector_") + rule.targetCode;
    case AlertTargetType::fund:
        if (rule.fundMetric == FundMetric::changePct)
            return QStringLiteral("fund_pct_") + rule.targetCode;
        return QStringLiteral("fund_nav_") + rule.targetCode;
    }
    return {};
}

bool shouldTrigger(const AlertRule& rule, double value)
{
    if (!rule.enabled || rule.triggered)
        return false;
    return rule.direction == AlertDirection::above ? value >= rule.threshold
                                                   : value <= rule.threshold;
}

bool shouldReset(const AlertRule& rule, double value)
{
    if (!rule.enabled || !rule.triggered)
        return false;
    const double t = rule.threshold;
    if (isRelative(rule)) {
        // Compared in thousandths: threshold × 1.005 in binary floating point
        // is 602.9999… for 600, which would re-arm a rule at exactly 603.
        return rule.direction == AlertDirection::above ? value * 1000 < t * 995
                                                       : value * 1000 > t * 1005;
    }
    return rule.direction == AlertDirection::above ? value < t - 0.5 : value > t + 0.5;
}

Decisions checkAll(const QList<AlertRule>& rules, const Values& values)
{
    Decisions decisions;
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const auto it = values.constFind(ruleKey(rules[i]));
        if (it == values.constEnd())
            continue;
        if (shouldTrigger(rules[i], it.value()))
            decisions.trigger.append(int(i));
        else if (shouldReset(rules[i], it.value()))
            decisions.reset.append(int(i));
    }
    return decisions;
}

} // namespace AlertEngine

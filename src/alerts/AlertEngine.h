#pragma once

#include "AlertRule.h"
#include "market/QuoteRecords.h"

#include <QHash>
#include <QList>

#include <optional>

// Decides after each refresh which rules fire and which fired rules re-arm.
// Firing is edge-triggered with a re-arm margin, so a figure hovering at the
// threshold gives one notification, not one per refresh.
namespace AlertEngine {

using Values = QHash<QString, double>;

struct Decisions {
    QList<int> trigger; // indexes into the rules, ascending
    QList<int> reset;
};

// "goldCNY", "sector_<code>", "fund_pct_<code>", "fund_nav_<code>": published
// figures only; fund estimates never fire alerts. A figure the provider did
// not have (a board's change that came as a placeholder, a fund's change
// not yet published) is left out, so its rules neither fire nor re-arm.
Values extractValues(const std::optional<GoldQuote>& gold, const QList<SectorQuote>& sectors,
                     const QList<FundDetail>& funds);

QString ruleKey(const AlertRule& rule);

// Armed, enabled, and the value has reached the threshold (inclusive).
bool shouldTrigger(const AlertRule& rule, double value);
// Fired, enabled, and the value is strictly past the re-arm margin: 0.5 %
// of the threshold for prices, 0.5 percentage points for changes.
bool shouldReset(const AlertRule& rule, double value);

// A rule without a value in this evaluation keeps its state.
Decisions checkAll(const QList<AlertRule>& rules, const Values& values);

} // namespace AlertEngine

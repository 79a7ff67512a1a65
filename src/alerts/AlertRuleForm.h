#pragma once

#include "AlertRule.h"
#include "config/WatchConfig.h"

#include <QString>

#include <functional>
#include <optional>

// The state behind the add and edit sheets: what the form shows, how it
// reacts to a change of target type, target or fund metric, and the rule it
// produces. The sheets are thin views over this.
class AlertRuleForm {
public:
    // A fresh form for a new rule.
    explicit AlertRuleForm(WatchConfig watchList);
    // A form filled from an existing rule (the threshold written "%.3f").
    AlertRuleForm(WatchConfig watchList, AlertRule rule);

    AlertTargetType targetType() const { return m_targetType; }
    const QString& targetCode() const { return m_targetCode; }
    const QString& targetName() const { return m_targetName; }
    AlertDirection direction() const { return m_direction; }
    const QString& threshold() const { return m_threshold; }
    const QString& label() const { return m_label; }
    FundMetric fundMetric() const { return m_fundMetric; }
    bool isEditing() const { return m_rule.has_value(); }

    // Gold: its fixed name, no code. A board or fund: the first watched one,
    // code and name (both empty when none is watched).
    void setTargetType(AlertTargetType type);
    // The name of the watched board or fund with that code, or empty.
    void pickTarget(const QString& code);
    void setDirection(AlertDirection direction) { m_direction = direction; }
    void setThreshold(const QString& text) { m_threshold = text; }
    void setLabel(const QString& text) { m_label = text; }
    // A threshold typed for the other metric means something else: cleared.
    void setFundMetric(FundMetric metric);

    // The placeholder of the threshold field for the current target.
    QString thresholdPlaceholder() const;
    // A board or fund rule with nothing watched to pick could never fire:
    // "请先在上方添加板块" / "请先在上方添加基金"; empty when there is a target.
    QString missingTarget() const;
    // Why the rule cannot be saved yet, for the confirm button's tool tip:
    // the missing target, then a missing threshold or label; empty when it can.
    QString submitBlocker() const;
    // The confirm button is enabled only with a target, a threshold and a label.
    bool canSubmit() const { return submitBlocker().isEmpty(); }

    // The whole text as a decimal number: no blanks around it, nothing after
    // it; exponents are fine ("1e2"), "inf" and "nan" are not.
    static std::optional<double> parseThreshold(const QString& text);
    // "黄金(CNY/g)", "板块" or "基金": the name of a rule saved without one.
    static QString fallbackName(AlertTargetType type);

    // The rule to store, or nothing when the threshold does not parse. A new
    // rule gets `newId()`, is enabled and armed; an edited one keeps its id,
    // switch and fired state.
    std::optional<AlertRule> result(const std::function<QString()>& newId = {}) const;

    // A fresh canonical upper-case UUID, e.g. "1B4E28BA-2FA1-11D2-883F-0016D3CCA427".
    static QString newRuleId();

private:
    WatchConfig m_watchList;
    std::optional<AlertRule> m_rule;
    AlertTargetType m_targetType = AlertTargetType::goldCNY;
    QString m_targetCode;
    QString m_targetName;
    AlertDirection m_direction = AlertDirection::above;
    QString m_threshold;
    QString m_label;
    FundMetric m_fundMetric = FundMetric::nav;
};

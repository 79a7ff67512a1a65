#include "AlertRuleForm.h"

#include "market/Format.h"
#include "market/JsonRead.h"

#include <QUuid>

AlertRuleForm::AlertRuleForm(WatchConfig watchList)
    : m_watchList(std::move(watchList)), m_targetName(fallbackName(AlertTargetType::goldCNY))
{}

AlertRuleForm::AlertRuleForm(WatchConfig watchList, AlertRule rule)
    : m_watchList(std::move(watchList)), m_rule(rule), m_targetType(rule.targetType),
      m_targetCode(rule.targetCode), m_targetName(rule.targetName), m_direction(rule.direction),
      m_threshold(Format::fixed(rule.threshold, 3)), m_label(rule.label),
      m_fundMetric(rule.fundMetric.value_or(FundMetric::nav))
{}

QString AlertRuleForm::fallbackName(AlertTargetType type)
{
    switch (type) {
    case AlertTargetType::goldCNY:
        return QStringLiteral("黄金(CNY/g)");
    case AlertTargetType::sector:
        return QStringLiteral("板块");
    case AlertTargetType::fund:
        return QStringLiteral("基金");
    }
    return {};
}

void AlertRuleForm::setTargetType(AlertTargetType type)
{
    if (type == m_targetType)
        return;
    m_targetType = type;
    switch (type) {
    case AlertTargetType::goldCNY:
        m_targetName = fallbackName(type);
        m_targetCode.clear();
        break;
    case AlertTargetType::sector:
        // The menu shows the first board as chosen; the rule takes its name
        // too, or a rule saved untouched would be called just "板块".
        pickTarget(m_watchList.sectors.isEmpty() ? QString() : m_watchList.sectors.first().code);
        break;
    case AlertTargetType::fund:
        pickTarget(m_watchList.funds.isEmpty() ? QString() : m_watchList.funds.first().code);
        break;
    }
}

QString AlertRuleForm::missingTarget() const
{
    if (!m_targetCode.isEmpty())
        return {};
    switch (m_targetType) {
    case AlertTargetType::goldCNY:
        return {};
    case AlertTargetType::sector:
        return QStringLiteral("请先在上方添加板块");
    case AlertTargetType::fund:
        return QStringLiteral("请先在上方添加基金");
    }
    return {};
}

QString AlertRuleForm::submitBlocker() const
{
    if (QString missing = missingTarget(); !missing.isEmpty())
        return missing;
    if (m_threshold.isEmpty())
        return QStringLiteral("请填写阈值");
    if (m_label.isEmpty())
        return QStringLiteral("请填写提醒文案");
    return {};
}

void AlertRuleForm::pickTarget(const QString& code)
{
    m_targetCode = code;
    m_targetName.clear();
    if (m_targetType == AlertTargetType::sector) {
        for (const SectorConfig& s : m_watchList.sectors) {
            if (s.code == code) {
                m_targetName = s.name;
                break;
            }
        }
    } else if (m_targetType == AlertTargetType::fund) {
        for (const FundConfig& f : m_watchList.funds) {
            if (f.code == code) {
                m_targetName = f.name;
                break;
            }
        }
    }
}

void AlertRuleForm::setFundMetric(FundMetric metric)
{
    if (metric == m_fundMetric)
        return;
    m_fundMetric = metric;
    m_threshold.clear();
}

QString AlertRuleForm::thresholdPlaceholder() const
{
    switch (m_targetType) {
    case AlertTargetType::goldCNY:
        return QStringLiteral("700.00");
    case AlertTargetType::sector:
        return QStringLiteral("-2.50");
    case AlertTargetType::fund:
        return m_fundMetric == FundMetric::nav ? QStringLiteral("1.50") : QStringLiteral("-2.50");
    }
    return {};
}

std::optional<double> AlertRuleForm::parseThreshold(const QString& text)
{
    // A threshold of infinity or NaN could never fire or re-arm sensibly.
    return JsonRead::decimal(text);
}

QString AlertRuleForm::newRuleId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

std::optional<AlertRule> AlertRuleForm::result(const std::function<QString()>& newId) const
{
    const auto threshold = parseThreshold(m_threshold);
    if (!threshold)
        return std::nullopt;
    AlertRule rule;
    if (m_rule) {
        rule = *m_rule; // id, switch and fired state stay
    } else {
        rule.id = newId ? newId() : newRuleId();
        rule.enabled = true;
        rule.triggered = false;
        rule.triggeredAt.reset();
    }
    rule.targetType = m_targetType;
    rule.targetCode = m_targetCode;
    rule.targetName = m_targetName.isEmpty() ? fallbackName(m_targetType) : m_targetName;
    rule.direction = m_direction;
    rule.threshold = *threshold;
    rule.label = m_label;
    rule.fundMetric =
        m_targetType == AlertTargetType::fund ? std::optional(m_fundMetric) : std::nullopt;
    return rule;
}

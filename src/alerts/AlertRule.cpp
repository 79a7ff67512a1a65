#include "AlertRule.h"

#include "config/OrderedJson.h"

#include <QTimeZone>

#include <cmath>

QString rawValue(AlertTargetType type)
{
    switch (type) {
    case AlertTargetType::goldCNY:
        return QStringLiteral("黄金CNY");
    case AlertTargetType::sector:
        return QStringLiteral("板块");
    case AlertTargetType::fund:
        return QStringLiteral("基金");
    }
    return {};
}

QString rawValue(AlertDirection direction)
{
    return direction == AlertDirection::above ? QStringLiteral("≥") : QStringLiteral("≤");
}

QString rawValue(FundMetric metric)
{
    return metric == FundMetric::nav ? QStringLiteral("净值") : QStringLiteral("涨跌幅");
}

std::optional<AlertTargetType> alertTargetTypeFromRaw(const QString& raw)
{
    for (auto type : {AlertTargetType::goldCNY, AlertTargetType::sector, AlertTargetType::fund}) {
        if (rawValue(type) == raw)
            return type;
    }
    return std::nullopt;
}

std::optional<AlertDirection> alertDirectionFromRaw(const QString& raw)
{
    for (auto direction : {AlertDirection::above, AlertDirection::below}) {
        if (rawValue(direction) == raw)
            return direction;
    }
    return std::nullopt;
}

std::optional<FundMetric> fundMetricFromRaw(const QString& raw)
{
    for (auto metric : {FundMetric::nav, FundMetric::changePct}) {
        if (rawValue(metric) == raw)
            return metric;
    }
    return std::nullopt;
}

namespace ReferenceDate {

static QDateTime reference()
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
}

double secondsSinceReference(const QDateTime& time)
{
    return static_cast<double>(reference().msecsTo(time)) / 1000.0;
}

QDateTime fromSecondsSinceReference(double seconds)
{
    return reference().addMSecs(static_cast<qint64>(std::llround(seconds * 1000.0)));
}

} // namespace ReferenceDate

void AlertRule::markTriggered(const QDateTime& now)
{
    triggered = true;
    triggeredAt = now;
}

void AlertRule::reset()
{
    triggered = false;
    triggeredAt.reset();
}

std::optional<QByteArray> AlertRule::toJson() const
{
    const auto thresholdText = OrderedJson::number(threshold);
    if (!thresholdText)
        return std::nullopt;
    QList<QPair<QString, QByteArray>> members{
        {QStringLiteral("id"), OrderedJson::string(id)},
        {QStringLiteral("targetType"), OrderedJson::string(rawValue(targetType))},
        {QStringLiteral("targetCode"), OrderedJson::string(targetCode)},
        {QStringLiteral("targetName"), OrderedJson::string(targetName)},
        {QStringLiteral("direction"), OrderedJson::string(rawValue(direction))},
        {QStringLiteral("threshold"), *thresholdText},
        {QStringLiteral("label"), OrderedJson::string(label)},
        {QStringLiteral("enabled"), OrderedJson::boolean(enabled)},
        {QStringLiteral("triggered"), OrderedJson::boolean(triggered)},
    };
    if (triggeredAt) {
        const auto seconds =
            OrderedJson::number(ReferenceDate::secondsSinceReference(*triggeredAt));
        if (!seconds)
            return std::nullopt;
        members.append({QStringLiteral("triggeredAt"), *seconds});
    }
    if (fundMetric)
        members.append({QStringLiteral("fundMetric"), OrderedJson::string(rawValue(*fundMetric))});
    return OrderedJson::object(members);
}

std::optional<AlertRule> AlertRule::fromJson(const QJsonObject& object)
{
    auto text = [&](const char* key) -> std::optional<QString> {
        const QJsonValue v = object.value(QLatin1String(key));
        return v.isString() ? std::optional<QString>(v.toString()) : std::nullopt;
    };
    auto flag = [&](const char* key) -> std::optional<bool> {
        const QJsonValue v = object.value(QLatin1String(key));
        return v.isBool() ? std::optional<bool>(v.toBool()) : std::nullopt;
    };

    const auto id = text("id");
    const auto targetTypeText = text("targetType");
    const auto targetCode = text("targetCode");
    const auto targetName = text("targetName");
    const auto directionText = text("direction");
    const QJsonValue threshold = object.value(QStringLiteral("threshold"));
    const auto label = text("label");
    const auto enabled = flag("enabled");
    const auto triggered = flag("triggered");
    if (!id || !targetTypeText || !targetCode || !targetName || !directionText ||
        !threshold.isDouble() || !label || !enabled || !triggered)
        return std::nullopt;
    const auto targetType = alertTargetTypeFromRaw(*targetTypeText);
    const auto direction = alertDirectionFromRaw(*directionText);
    if (!targetType || !direction)
        return std::nullopt;

    AlertRule rule{.id = *id,
                   .targetType = *targetType,
                   .targetCode = *targetCode,
                   .targetName = *targetName,
                   .direction = *direction,
                   .threshold = threshold.toDouble(),
                   .label = *label,
                   .enabled = *enabled,
                   .triggered = *triggered,
                   .triggeredAt = std::nullopt,
                   .fundMetric = std::nullopt};

    const QJsonValue at = object.value(QStringLiteral("triggeredAt"));
    if (at.isDouble())
        rule.triggeredAt = ReferenceDate::fromSecondsSinceReference(at.toDouble());
    else if (!at.isNull() && !at.isUndefined())
        return std::nullopt;

    const QJsonValue metric = object.value(QStringLiteral("fundMetric"));
    if (metric.isString()) {
        rule.fundMetric = fundMetricFromRaw(metric.toString());
        if (!rule.fundMetric)
            return std::nullopt;
    } else if (!metric.isNull() && !metric.isUndefined()) {
        return std::nullopt;
    }
    return rule;
}

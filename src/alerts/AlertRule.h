#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// What a rule watches; stored and shown by its raw text.
enum class AlertTargetType { goldCNY, sector, fund };
// Which crossing fires; the raw text is also the symbol shown.
enum class AlertDirection { above, below };
// Which figure of a fund is watched.
enum class FundMetric { nav, changePct };

QString rawValue(AlertTargetType type);     // "黄金CNY", "板块", "基金"
QString rawValue(AlertDirection direction); // "≥", "≤"
QString rawValue(FundMetric metric);        // "净值", "涨跌幅"
std::optional<AlertTargetType> alertTargetTypeFromRaw(const QString& raw);
std::optional<AlertDirection> alertDirectionFromRaw(const QString& raw);
std::optional<FundMetric> fundMetricFromRaw(const QString& raw);

// One alert rule: fires once when its figure reaches the threshold, re-arms
// when the figure has moved back past a margin.
struct AlertRule {
    QString id;
    AlertTargetType targetType = AlertTargetType::goldCNY;
    QString targetCode; // empty for gold
    QString targetName;
    AlertDirection direction = AlertDirection::above;
    double threshold = 0;
    QString label;
    bool enabled = true;
    bool triggered = false;
    std::optional<QDateTime> triggeredAt;
    std::optional<FundMetric> fundMetric;

    bool operator==(const AlertRule&) const = default;

    void markTriggered(const QDateTime& now = QDateTime::currentDateTimeUtc());
    void reset();

    // The stored form, keys in field order, the two optionals left out when
    // absent. Nothing when the threshold is not a finite number.
    std::optional<QByteArray> toJson() const;
    // Every key but "triggeredAt" and "fundMetric" is required with its type;
    // an unknown enumeration text fails the whole rule.
    static std::optional<AlertRule> fromJson(const QJsonObject& object);
};

// "triggeredAt" is stored as seconds since 2001-01-01 00:00:00 UTC.
namespace ReferenceDate {
double secondsSinceReference(const QDateTime& time);
QDateTime fromSecondsSinceReference(double seconds);
} // namespace ReferenceDate

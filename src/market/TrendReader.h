#pragma once

#include "QuoteRecords.h"

#include <QJsonObject>
#include <QStringView>

#include <optional>

// Reader of the provider's intraday trend answers: data.preClose and
// data.trends, one comma-separated line per minute
// (stamp, open, close, high, low, volume, turnover, average).
namespace TrendReader {

struct Trend {
    double preClose = 0;
    QList<TrendPoint> points; // in delivered order
};

// Throws FetchError::invalidData(tag) when data, preClose or trends is missing.
// Lines that do not read are skipped.
Trend read(const QJsonObject& json, const QString& tag);

// One minute line, or nothing when it has fewer than eight fields or a number
// that is not a complete decimal.
std::optional<TrendPoint> parseLine(QStringView line);

} // namespace TrendReader

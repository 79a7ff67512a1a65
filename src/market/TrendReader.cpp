#include "TrendReader.h"

#include "FetchError.h"
#include "JsonRead.h"

namespace TrendReader {

std::optional<TrendPoint> parseLine(QStringView line)
{
    // Empty pieces are dropped, so a doubled comma shifts later fields left.
    // The first eight are all that is read; finding them in place spares
    // every minute line a list of its pieces.
    constexpr qsizetype kFields = 8;
    QStringView fields[kFields];
    qsizetype count = 0;
    qsizetype at = 0;
    while (count < kFields) {
        while (at < line.size() && line[at] == u',')
            ++at;
        if (at == line.size())
            break;
        const qsizetype start = at;
        while (at < line.size() && line[at] != u',')
            ++at;
        fields[count++] = line.sliced(start, at - start);
    }
    if (count < kFields)
        return std::nullopt;
    const auto price = JsonRead::decimal(fields[2]);
    if (!price)
        return std::nullopt;
    const auto average = JsonRead::decimal(fields[7]);
    if (!average)
        return std::nullopt;
    const auto volume = JsonRead::decimal(fields[5]);
    if (!volume)
        return std::nullopt;
    const auto amount = JsonRead::decimal(fields[6]);
    if (!amount)
        return std::nullopt;
    return TrendPoint{
        .time = fields[0].toString(),
        .price = *price,
        .avgPrice = *average,
        .volume = *volume,
        .amount = *amount,
    };
}

Trend read(const QJsonObject& json, const QString& tag)
{
    const auto data = JsonRead::object(json, "data");
    if (!data)
        throw FetchError::invalidData(tag);
    const auto preClose = JsonRead::number(*data, "preClose");
    if (!preClose)
        throw FetchError::invalidData(tag);
    const auto lines = JsonRead::strings(*data, "trends");
    if (!lines)
        throw FetchError::invalidData(tag);

    Trend trend{.preClose = *preClose, .points = {}};
    trend.points.reserve(lines->size());
    for (const QString& line : *lines) {
        if (auto point = parseLine(line))
            trend.points.append(std::move(*point));
    }
    return trend;
}

} // namespace TrendReader

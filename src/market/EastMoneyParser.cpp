#include "EastMoneyParser.h"

#include "JsonRead.h"

namespace EastMoneyParser {

std::optional<QList<QJsonObject>> rows(const QJsonObject& json)
{
    const auto data = JsonRead::object(json, "data");
    if (!data)
        return std::nullopt;
    return JsonRead::objects(*data, "diff");
}

std::optional<SectorQuote> parseSector(const QJsonObject& json)
{
    const auto diff = rows(json);
    if (!diff || diff->isEmpty())
        return std::nullopt;
    return sectorRow(diff->first());
}

SectorQuote sectorRow(const QJsonObject& row)
{
    return SectorQuote{
        .code = JsonRead::textOr(row, "f12"),
        .name = JsonRead::textOr(row, "f14"),
        .index = JsonRead::number(row, "f2"),
        .changePct = JsonRead::number(row, "f3"),
        .prevIndex = JsonRead::number(row, "f18"),
        .amount = JsonRead::number(row, "f6"),
    };
}

QList<StockQuote> parseStocks(const QJsonObject& json)
{
    QList<StockQuote> stocks;
    const auto diff = rows(json);
    if (!diff)
        return stocks;
    stocks.reserve(diff->size());
    for (const QJsonObject& row : *diff) {
        stocks.append(StockQuote{
            .code = JsonRead::textOr(row, "f12"),
            .name = JsonRead::textOr(row, "f14"),
            .price = JsonRead::number(row, "f2"),
            .changePct = JsonRead::number(row, "f3"),
            .amount = JsonRead::number(row, "f6"),
        });
    }
    return stocks;
}

} // namespace EastMoneyParser

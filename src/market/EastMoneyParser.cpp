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
    const QJsonObject& row = diff->first();
    return SectorQuote{
        .code = JsonRead::textOr(row, "f12"),
        .name = JsonRead::textOr(row, "f14"),
        .index = JsonRead::numberOr(row, "f2"),
        .changePct = JsonRead::numberOr(row, "f3"),
        .prevIndex = JsonRead::numberOr(row, "f18"),
        .amount = JsonRead::numberOr(row, "f6"),
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
            .price = JsonRead::numberOr(row, "f2"),
            .changePct = JsonRead::numberOr(row, "f3"),
            .amount = JsonRead::numberOr(row, "f6"),
        });
    }
    return stocks;
}

} // namespace EastMoneyParser

#include "FundParser.h"

#include "JsonRead.h"

namespace FundParser {

QList<FundQuote> parseQuotes(const QJsonObject& json)
{
    QList<FundQuote> quotes;
    const auto rows = JsonRead::objects(json, "Datas");
    if (!rows)
        return quotes;
    for (const QJsonObject& row : *rows) {
        const auto code = JsonRead::text(row, "FCODE");
        const auto name = JsonRead::text(row, "SHORTNAME");
        const auto navText = JsonRead::text(row, "NAV");
        if (!code || !name || !navText)
            continue;
        const auto nav = JsonRead::decimal(*navText);
        if (!nav)
            continue;
        const auto changeText = JsonRead::text(row, "NAVCHGRT");
        const auto change = changeText ? JsonRead::decimal(*changeText) : std::nullopt;
        quotes.append(FundQuote{
            .code = *code,
            .name = *name,
            .nav = *nav,
            .navChangePct = change.value_or(0.0),
            .navDate = JsonRead::textOr(row, "PDATE"),
            .navChangeMissing = !change,
        });
    }
    return quotes;
}

QList<FundHolding> parseHoldings(const QJsonObject& json)
{
    QList<FundHolding> holdings;
    const auto data = JsonRead::object(json, "Datas");
    if (!data)
        return holdings;
    const auto rows = JsonRead::objects(*data, "fundStocks");
    if (!rows)
        return holdings;
    for (const QJsonObject& row : *rows) {
        const auto code = JsonRead::text(row, "GPDM");
        const auto name = JsonRead::text(row, "GPJC");
        const auto weightText = JsonRead::text(row, "JZBL");
        if (!code || !name || !weightText)
            continue;
        const auto weight = JsonRead::decimal(*weightText);
        if (!weight)
            continue;
        const auto exchangeText = JsonRead::text(row, "TEXCH");
        holdings.append(FundHolding{
            .code = *code,
            .name = *name,
            .weight = *weight,
            .exchange = exchangeText ? JsonRead::leadingInteger(*exchangeText).value_or(0) : 0,
        });
    }
    return holdings;
}

} // namespace FundParser

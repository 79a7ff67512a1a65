// The fund host's answers (published values, top holdings), the estimate
// made from the holdings and the fund search's answer, from the body's bytes
// on.
#include "FuzzCheck.h"
#include "market/FundEstimator.h"
#include "market/FundParser.h"
#include "market/JsonRead.h"

#include <QMap>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QJsonObject> answer = answerObject(data, size);
    if (!answer)
        return 0;
    const QJsonObject& json = *answer;

    // The same body goes through both readers: each must ignore the other's
    // shape ("Datas" is an array in one answer and an object in the other).
    const QList<FundQuote> quotes = FundParser::parseQuotes(json);
    const QList<FundHolding> holdings = FundParser::parseHoldings(json);

    const auto rows = JsonRead::objects(json, "Datas");
    require(quotes.size() <= (rows ? rows->size() : 0), "at most one quote per row");
    for (const FundQuote& q : quotes)
        require(std::isfinite(q.nav) && std::isfinite(q.navChangePct), "fund figures are finite");
    require(holdings.isEmpty() || JsonRead::object(json, "Datas"),
            "holdings come from Datas.fundStocks");
    QMap<QString, double> changes;
    for (const FundHolding& h : holdings) {
        require(std::isfinite(h.weight), "a holding's weight is finite");
        const QString code = FundEstimator::normalizeCode(h.code);
        require(h.code.endsWith(code), "a quote code is the end of the holding's code");
        changes.insert(code, h.weight);
    }

    requireListable(SearchParser::funds(json));

    const auto estimate = FundEstimator::estimateChangePct(holdings, changes);
    require(!estimate || !holdings.isEmpty(), "no estimate without holdings");
    if (estimate && !quotes.isEmpty())
        FundEstimator::estimateNav(quotes.first().nav, *estimate);
    return 0;
}

// The quote host's list answers (gold, boards, a board's stocks, holdings'
// changes, look-ups) and the code search's answer, from the body's bytes on.
#include "FuzzCheck.h"
#include "market/EastMoneyParser.h"
#include "market/JsonRead.h"

#include <cmath>

namespace {

// Absent is fine (a placeholder); a figure that is there is a finite number.
bool finite(const std::optional<double>& x)
{
    return !x || std::isfinite(*x);
}

bool finite(const StockQuote& s)
{
    return finite(s.price) && finite(s.changePct) && finite(s.amount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QJsonObject> answer = answerObject(data, size);
    if (!answer)
        return 0;
    const QJsonObject& json = *answer;

    const auto rows = EastMoneyParser::rows(json);
    const QList<StockQuote> stocks = EastMoneyParser::parseStocks(json);
    const std::optional<SectorQuote> sector = EastMoneyParser::parseSector(json);

    require(stocks.size() == (rows ? rows->size() : 0), "every row is a stock, none skipped");
    require(sector.has_value() == !stocks.isEmpty(), "a board quote exactly when there is a row");
    for (const StockQuote& stock : stocks)
        require(finite(stock), "stock figures are finite");
    if (sector) {
        const StockQuote& first = stocks.first();
        require(sector->code == first.code && sector->name == first.name &&
                    sector->index == first.price && sector->changePct == first.changePct &&
                    sector->amount == first.amount,
                "the board quote reads the first row as the stock list does");
        require(finite(sector->prevIndex), "previous close is finite");
    }

    // The services read a few more fields of the same rows with the same
    // rules: the gold quote's high and low, the holdings' changes.
    if (rows) {
        for (const QJsonObject& row : *rows) {
            for (const char* key : {"f15", "f16", "f18"}) {
                if (const auto value = JsonRead::number(row, key))
                    require(std::isfinite(*value), "a JSON number is finite");
            }
            JsonRead::text(row, "f12");
        }
    }

    const QList<SearchHit> boards = SearchParser::boards(json);
    requireListable(boards);
    for (const SearchHit& board : boards) {
        require(board.code == board.code.toUpper(), "a board's code is in upper case");
        require(QStringList{QStringLiteral("行业"), QStringLiteral("概念"), QStringLiteral("地域"),
                            QStringLiteral("板块")}
                    .contains(board.kind),
                "a board's kind is one of the four");
    }
    return 0;
}

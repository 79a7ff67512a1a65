#pragma once

#include "QuoteRecords.h"

#include <QJsonObject>

#include <optional>

// Readers of the quote provider's list answers: rows of numbered field codes
// under data.diff (f2 price, f3 change %, f6 turnover, f12 code, f14 name,
// f18 previous close).
namespace EastMoneyParser {

// The first row as a board quote; absent when there is no row.
std::optional<SectorQuote> parseSector(const QJsonObject& json);

// One row as a board quote. A figure that is not a JSON number (the
// placeholder "-", null, a numeric text) is absent.
SectorQuote sectorRow(const QJsonObject& row);

// Every row as a stock, none skipped: a row of placeholders gives empty texts
// and absent figures.
QList<StockQuote> parseStocks(const QJsonObject& json);

// data.diff as rows, or nothing when data or diff is missing or mistyped.
std::optional<QList<QJsonObject>> rows(const QJsonObject& json);

} // namespace EastMoneyParser

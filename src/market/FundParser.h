#pragma once

#include "QuoteRecords.h"

#include <QJsonObject>

// Readers of the fund API's answers, where every number arrives as a text.
// Neither ever fails: unreadable rows are skipped.
namespace FundParser {

// Datas[]: FCODE, SHORTNAME, NAV (required), NAVCHGRT, PDATE. A change that
// is missing or unreadable reads 0 and is flagged navChangeMissing.
QList<FundQuote> parseQuotes(const QJsonObject& json);

// Datas.fundStocks[]: GPDM, GPJC, JZBL (required), TEXCH.
QList<FundHolding> parseHoldings(const QJsonObject& json);

} // namespace FundParser

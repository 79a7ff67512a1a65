#include "OnceReport.h"

#include "MenuBarController.h"
#include "market/EstimateLog.h"
#include "market/Money.h"
#include "market/Profit.h"

#include <QJsonArray>

namespace OnceReport {

namespace {

QJsonValue orNull(const std::optional<QString>& text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<double>& number)
{
    return number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null);
}

QJsonObject toJson(const GoldQuote& q)
{
    return {{QStringLiteral("priceCNY"), q.priceCNY},
            {QStringLiteral("prevCNY"), q.prevCNY},
            {QStringLiteral("highCNY"), q.highCNY},
            {QStringLiteral("lowCNY"), q.lowCNY},
            {QStringLiteral("changePct"), q.changePct},
            {QStringLiteral("time"), q.time},
            {QStringLiteral("date"), q.date}};
}

// A figure the provider did not have is null, never 0.
QJsonObject toJson(const SectorQuote& q)
{
    return {{QStringLiteral("code"), q.code},
            {QStringLiteral("name"), q.name},
            {QStringLiteral("index"), orNull(q.index)},
            {QStringLiteral("changePct"), orNull(q.changePct)},
            {QStringLiteral("prevIndex"), orNull(q.prevIndex)},
            {QStringLiteral("amount"), orNull(q.amount)}};
}

QJsonObject toJson(const StockQuote& q)
{
    return {{QStringLiteral("code"), q.code},
            {QStringLiteral("name"), q.name},
            {QStringLiteral("price"), orNull(q.price)},
            {QStringLiteral("changePct"), orNull(q.changePct)},
            {QStringLiteral("amount"), orNull(q.amount)}};
}

QJsonObject toJson(const TrendData& t)
{
    QJsonArray points;
    for (const TrendPoint& p : t.points)
        points.append(QJsonObject{{QStringLiteral("time"), p.time},
                                  {QStringLiteral("price"), p.price},
                                  {QStringLiteral("avgPrice"), p.avgPrice},
                                  {QStringLiteral("volume"), p.volume},
                                  {QStringLiteral("amount"), p.amount}});
    return {{QStringLiteral("name"), t.name},
            {QStringLiteral("preClose"), t.preClose},
            {QStringLiteral("points"), points}};
}

QJsonObject toJson(const FundDetail& d)
{
    QJsonArray holdings;
    for (const FundHolding& h : d.holdings)
        holdings.append(QJsonObject{{QStringLiteral("code"), h.code},
                                    {QStringLiteral("name"), h.name},
                                    {QStringLiteral("weight"), h.weight},
                                    {QStringLiteral("exchange"), h.exchange}});
    const QJsonObject quote{{QStringLiteral("code"), d.quote.code},
                            {QStringLiteral("name"), d.quote.name},
                            {QStringLiteral("nav"), d.quote.nav},
                            {QStringLiteral("navChangePct"), orNull(d.quote.navChange())},
                            {QStringLiteral("navDate"), d.quote.navDate}};
    QJsonObject json{{QStringLiteral("quote"), quote},
                     {QStringLiteral("holdings"), holdings},
                     {QStringLiteral("navIsCurrent"), d.navIsCurrent}};
    // Once the day's value is out there is no estimate to report, not even
    // an empty one.
    if (!d.navIsCurrent) {
        json.insert(QStringLiteral("estNav"), orNull(d.estNav));
        json.insert(QStringLiteral("estChangePct"), orNull(d.estChangePct));
    }
    return json;
}

std::optional<QString> closure(const MarketState& state)
{
    if (state.status != MarketStatus::closed)
        return std::nullopt;
    return closureKey(state.closure);
}

// Sums of money in yuan, quantities and prices per unit as the numbers they are.
QJsonValue yuan(std::optional<qint64> fen)
{
    return fen ? QJsonValue(double(*fen) / 100) : QJsonValue(QJsonValue::Null);
}

QJsonValue perUnit(std::optional<qint64> units)
{
    return units ? QJsonValue(double(*units) / Money::unitsPerOne) : QJsonValue(QJsonValue::Null);
}

QString kindKey(Profit::DayKind kind)
{
    switch (kind) {
    case Profit::DayKind::estimated:
        return QStringLiteral("estimated");
    case Profit::DayKind::confirmed:
        return QStringLiteral("confirmed");
    case Profit::DayKind::earlier:
        return QStringLiteral("earlier");
    case Profit::DayKind::market:
        break;
    }
    return QStringLiteral("market");
}

// The day's profit as three keys: "todayProfit", "todayKind", "todayDate".
void insertDay(QJsonObject& json, const std::optional<Profit::Day>& day)
{
    json.insert(QStringLiteral("todayProfit"), yuan(day ? std::optional(day->fen) : std::nullopt));
    json.insert(QStringLiteral("todayKind"),
                day ? QJsonValue(kindKey(day->kind)) : QJsonValue(QJsonValue::Null));
    json.insert(QStringLiteral("todayDate"),
                day && !day->date.isEmpty() ? QJsonValue(day->date) : QJsonValue(QJsonValue::Null));
}

QJsonObject toJson(const QString& quantityKey, const Profit::Position& position,
                   const Profit::Figures& figures)
{
    QJsonObject json{{quantityKey, perUnit(position.quantity)},
                     {QStringLiteral("cost"), perUnit(position.cost)},
                     {QStringLiteral("value"), yuan(figures.value)},
                     {QStringLiteral("holdingProfit"), yuan(figures.holdingProfit)},
                     {QStringLiteral("holdingRatePct"), orNull(figures.holdingRatePct)}};
    insertDay(json, figures.today);
    return json;
}

QJsonObject holdings(const MenuBarController& c)
{
    const Holdings& held = c.holdingsStore().holdings();
    QJsonValue gold(QJsonValue::Null);
    if (held.gold) {
        const Profit::Figures figures =
            c.market().gold() ? Profit::gold(*held.gold, *c.market().gold()) : Profit::Figures{};
        gold = toJson(QStringLiteral("grams"), *held.gold, figures);
    }
    const Profit::Summary s = c.portfolio();
    QJsonObject summary{{QStringLiteral("funds"), s.funds},
                        {QStringLiteral("missingFunds"), s.missingFunds},
                        {QStringLiteral("earlierFunds"), s.earlierFunds},
                        {QStringLiteral("gold"), s.gold},
                        {QStringLiteral("value"), yuan(s.value)},
                        {QStringLiteral("holdingProfit"), yuan(s.holdingProfit)},
                        {QStringLiteral("holdingRatePct"), orNull(s.holdingRatePct)}};
    insertDay(summary, s.today);
    return {{QStringLiteral("hideAmounts"), held.hideAmounts},
            {QStringLiteral("gold"), gold},
            {QStringLiteral("summary"), summary}};
}

template <typename T> QJsonValue optionalRecord(const std::optional<T>& value)
{
    return value ? QJsonValue(toJson(*value)) : QJsonValue(QJsonValue::Null);
}

template <typename T> QJsonArray records(const QList<T>& values)
{
    QJsonArray array;
    for (const T& v : values)
        array.append(toJson(v));
    return array;
}

} // namespace

QJsonObject fund(const MenuBarController& controller, const FundDetail& detail)
{
    QJsonObject json = toJson(detail);
    json.insert(QStringLiteral("estimateTrust"),
                EstimateLog::toJson(controller.market().estimateTrust(detail)));
    const auto position = controller.holdingsStore().holdings().fund(detail.quote.code);
    json.insert(QStringLiteral("holding"),
                position ? QJsonValue(toJson(QStringLiteral("shares"), *position,
                                             Profit::fund(*position, detail)))
                         : QJsonValue(QJsonValue::Null));
    return json;
}

QJsonObject build(MenuBarController& c)
{
    const MarketData& m = c.market();
    // Each part that kept its last data this run, with the reason.
    QJsonObject failedParts;
    for (const auto& [part, key] :
         {std::pair{RefreshPart::gold, "gold"}, std::pair{RefreshPart::board, "board"},
          std::pair{RefreshPart::overview, "overview"}, std::pair{RefreshPart::funds, "funds"}}) {
        if (const auto& message = m.message(part))
            failedParts.insert(QLatin1String(key), *message);
    }
    QJsonArray funds;
    for (const FundDetail& detail : m.funds())
        funds.append(fund(c, detail));
    QJsonObject changes;
    for (auto it = m.fundStockChanges().begin(); it != m.fundStockChanges().end(); ++it)
        changes.insert(it.key(), it.value());
    const QJsonValue lastUpdate =
        m.lastUpdate() ? QJsonValue(m.lastUpdate()
                                        ->toOffsetFromUtc(m.lastUpdate()->offsetFromUtc())
                                        .toString(Qt::ISODate))
                       : QJsonValue(QJsonValue::Null);
    const MarketState gold = m.goldMarketState();
    const MarketState stock = m.stockMarketState();
    const QDate validUntil = m.calendar().validUntil();
    return {
        {QStringLiteral("title"), c.title()},
        {QStringLiteral("goldMarketStatus"), statusKey(gold.status)},
        {QStringLiteral("stockMarketStatus"), statusKey(stock.status)},
        {QStringLiteral("goldBadge"), badgeLabel(gold.status, gold.closure)},
        {QStringLiteral("stockBadge"), badgeLabel(stock.status, stock.closure)},
        {QStringLiteral("goldClosure"), orNull(closure(gold))},
        {QStringLiteral("stockClosure"), orNull(closure(stock))},
        {QStringLiteral("calendarValidUntil"), validUntil.isValid()
                                                   ? QJsonValue(validUntil.toString(Qt::ISODate))
                                                   : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("calendarNotes"), QJsonArray::fromStringList(m.calendarNotes())},
        {QStringLiteral("lastUpdate"), lastUpdate},
        {QStringLiteral("errorMessage"), orNull(m.errorMessage())},
        {QStringLiteral("fundErrorMessage"), orNull(m.fundErrorMessage())},
        {QStringLiteral("failedParts"), failedParts},
        {QStringLiteral("currentSectorCode"), m.currentSectorCode()},
        {QStringLiteral("gold"), optionalRecord(m.gold())},
        {QStringLiteral("sector"), optionalRecord(m.sector())},
        {QStringLiteral("trendData"), optionalRecord(m.trendData())},
        {QStringLiteral("goldTrendData"), optionalRecord(m.goldTrendData())},
        {QStringLiteral("sectorStocks"), records(m.sectorStocks())},
        {QStringLiteral("allSectors"), records(m.allSectors())},
        {QStringLiteral("funds"), funds},
        {QStringLiteral("fundStockChanges"), changes},
        {QStringLiteral("holdings"), holdings(c)},
        {QStringLiteral("alerts"),
         QJsonObject{{QStringLiteral("fired"), QJsonArray::fromStringList(c.lastFired())},
                     {QStringLiteral("reset"), QJsonArray::fromStringList(c.lastReset())}}},
    };
}

} // namespace OnceReport

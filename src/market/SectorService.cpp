#include "SectorService.h"

#include "EastMoneyParser.h"
#include "GoldTrend.h"
#include "JsonRead.h"
#include "Origins.h"
#include "TrendReader.h"

namespace {

const QString kTrendQuery = QStringLiteral(
    "&fields1=f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,f13&fields2=f51,f52,f53,f54,f55,f56,f57,f58"
    "&iscr=0");

} // namespace

SectorService::SectorService(QString origin, std::chrono::milliseconds timeout)
    : m_origin(std::move(origin)), m_base(m_origin + QStringLiteral("/api/qt")), m_timeout(timeout)
{}

QString SectorService::defaultOrigin()
{
    return Origins::quote();
}

QString SectorService::marketPrefix(int exchange)
{
    switch (exchange) {
    case 1:
        return QStringLiteral("1.");
    case 5:
        return QStringLiteral("116.");
    default:
        return QStringLiteral("0.");
    }
}

QCoro::Task<QJsonObject> SectorService::get(QString url, CancelHandle cancel)
{
    co_return co_await NetworkClient::getJSON(QUrl(url), NetworkClient::defaultUA.toString(),
                                              NetworkClient::defaultReferer.toString(), m_timeout,
                                              m_scope.handle(cancel));
}

QCoro::Task<SectorQuote> SectorService::fetchIndex(QString code, QString /*name*/,
                                                   CancelHandle cancel)
{
    const QJsonObject json = co_await get(
        m_base + QStringLiteral("/ulist.np/get?fltt=2&secids=90.") +
            NetworkClient::queryValue(code) + QStringLiteral("&fields=f2,f3,f12,f14,f18,f6"),
        cancel);
    auto quote = EastMoneyParser::parseSector(json);
    if (!quote)
        throw FetchError::invalidData(QStringLiteral("板块解析失败"));
    co_return *quote;
}

QCoro::Task<QList<SectorQuote>> SectorService::fetchIndices(QStringList codes, QStringList names,
                                                            CancelHandle cancel)
{
    if (codes.isEmpty())
        co_return QList<SectorQuote>{};
    QStringList ids;
    ids.reserve(codes.size());
    for (const QString& code : codes)
        ids.append(QStringLiteral("90.") + code);
    const QJsonObject json = co_await get(m_base + QStringLiteral("/ulist.np/get?fltt=2&secids=") +
                                              NetworkClient::queryList(ids) +
                                              QStringLiteral("&fields=f2,f3,f12,f14,f18,f6"),
                                          cancel);
    QList<SectorQuote> quotes;
    const auto rows = EastMoneyParser::rows(json);
    if (!rows)
        co_return quotes;
    for (const QJsonObject& row : *rows) {
        SectorQuote quote = EastMoneyParser::sectorRow(row);
        const qsizetype position = codes.indexOf(quote.code);
        if (position >= 0 && position < names.size())
            quote.name = names[position];
        quotes.append(std::move(quote));
    }
    co_return quotes;
}

QCoro::Task<QList<StockQuote>> SectorService::fetchStocks(QString code, int topN,
                                                          CancelHandle cancel)
{
    const QJsonObject json = co_await get(
        m_base + QStringLiteral("/clist/get?pn=1&pz=") + QString::number(topN) +
            QStringLiteral("&po=1&np=1&fltt=2&invt=2&fid=f6&fs=b:") +
            NetworkClient::queryValue(code) + QStringLiteral("&fields=f2,f3,f6,f12,f14"),
        cancel);
    co_return EastMoneyParser::parseStocks(json);
}

QCoro::Task<QMap<QString, double>> SectorService::fetchStockChanges(QList<StockRef> codes,
                                                                    CancelHandle cancel)
{
    QMap<QString, double> changes;
    if (codes.isEmpty())
        co_return changes;
    QStringList ids;
    ids.reserve(codes.size());
    for (const StockRef& ref : codes)
        ids.append(marketPrefix(ref.second) + ref.first);
    const QJsonObject json =
        co_await get(m_base + QStringLiteral("/ulist.np/get?fltt=2&secids=") +
                         NetworkClient::queryList(ids) + QStringLiteral("&fields=f3,f12"),
                     cancel);
    const auto rows = EastMoneyParser::rows(json);
    if (!rows)
        co_return changes;
    for (const QJsonObject& row : *rows) {
        const auto code = JsonRead::text(row, "f12");
        const auto change = JsonRead::number(row, "f3");
        if (code && change)
            changes.insert(*code, *change);
    }
    co_return changes;
}

QCoro::Task<TrendData> SectorService::fetchTrends(QString code, QString name, CancelHandle cancel)
{
    const QJsonObject json =
        co_await get(m_origin + QStringLiteral("/api/qt/stock/trends2/get?secid=90.") +
                         NetworkClient::queryValue(code) + kTrendQuery + QStringLiteral("&ndays=1"),
                     cancel);
    TrendReader::Trend trend = TrendReader::read(json, QStringLiteral("分时线解析失败"));
    co_return TrendData{.name = name,
                        .preClose = trend.preClose,
                        .points = std::move(trend.points),
                        .newestTime = {}};
}

QCoro::Task<TrendData> SectorService::fetchGoldTrends(CancelHandle cancel)
{
    const QJsonObject json =
        co_await get(m_origin + QStringLiteral("/api/qt/stock/trends2/get?secid=113.aum") +
                         kTrendQuery + QStringLiteral("&ndays=2"),
                     cancel);
    const TrendReader::Trend trend = TrendReader::read(json, QStringLiteral("黄金分时线解析失败"));

    QList<GoldTrend::RawPoint> raw;
    raw.reserve(trend.points.size());
    for (const TrendPoint& p : trend.points)
        raw.append(
            {.dt = p.time, .close = p.price, .avg = p.avgPrice, .vol = p.volume, .amt = p.amount});

    TrendData data{.name = QStringLiteral("沪金主连"),
                   .preClose = trend.preClose,
                   .points = {},
                   .newestTime = GoldTrend::newestStamp(raw)};
    for (const GoldTrend::RawPoint& p : GoldTrend::chooseTradingDay(raw))
        data.points.append(
            {.time = p.dt, .price = p.close, .avgPrice = p.avg, .volume = p.vol, .amount = p.amt});
    if (!data.points.isEmpty() && data.points.last().time == data.newestTime)
        data.newestTime.clear();
    co_return data;
}

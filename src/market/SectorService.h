#pragma once

#include "CancelToken.h"
#include "NetworkClient.h"
#include "QuoteRecords.h"

#include <QCoroTask>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>

// Boards (sectors, provider market 90), their constituents, the day's change
// of any set of stocks, intraday trends of a board and of gold.
class SectorService {
public:
    // (stock code as the fund service gives it, fund service market number)
    using StockRef = QPair<QString, int>;

    explicit SectorService(QString origin = defaultOrigin(),
                           std::chrono::milliseconds timeout = NetworkClient::defaultTimeout);

    // Throws getJSON errors, or invalidData("板块解析失败") for an unknown board.
    // The name is not used: code and name come from the answer.
    QCoro::Task<SectorQuote> fetchIndex(QString code, QString name = QStringLiteral("半导体"),
                                        CancelHandle cancel = {});
    // Rows in the provider's order; configured names win over the provider's.
    QCoro::Task<QList<SectorQuote>> fetchIndices(QStringList codes, QStringList names,
                                                 CancelHandle cancel = {});
    // The board's topN constituents by the day's turnover, descending.
    QCoro::Task<QList<StockQuote>> fetchStocks(QString code = QStringLiteral("BK0475"),
                                               int topN = 10, CancelHandle cancel = {});
    // Bare stock code → today's change in percent.
    QCoro::Task<QMap<QString, double>> fetchStockChanges(QList<StockRef> codes,
                                                         CancelHandle cancel = {});
    // Throws getJSON errors, or invalidData("分时线解析失败").
    QCoro::Task<TrendData> fetchTrends(QString code, QString name, CancelHandle cancel = {});
    // Gold's current trading day with its night session; throws getJSON
    // errors, or invalidData("黄金分时线解析失败").
    QCoro::Task<TrendData> fetchGoldTrends(CancelHandle cancel = {});

    // The security id prefix of a fund service market number.
    static QString marketPrefix(int exchange);

private:
    static QString defaultOrigin();
    QCoro::Task<QJsonObject> get(QString pathAndQuery, CancelHandle cancel);

    QString m_origin;
    QString m_base; // origin + "/api/qt"
    std::chrono::milliseconds m_timeout;
    RequestScope m_scope;
};

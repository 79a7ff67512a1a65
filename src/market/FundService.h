#pragma once

#include "CancelToken.h"
#include "NetworkClient.h"
#include "QuoteRecords.h"

#include <QCoroTask>
#include <QStringList>

// Published values and top holdings of the watched funds, from the fund API
// for mobile clients. The intraday estimate is not made here.
class FundService {
public:
    static constexpr QStringView ua = u"Mozilla/5.0 (iPhone; CPU iPhone OS 16_0 like Mac OS X)";
    static constexpr QStringView referer = u"https://mpservice.com/";
    static constexpr QStringView commonParams =
        u"deviceid=Wap&plat=Wap&product=EFund&version=6.2.8";

    explicit FundService(QString origin = defaultOrigin(),
                         std::chrono::milliseconds timeout = NetworkClient::defaultTimeout);

    QCoro::Task<QList<FundQuote>> fetchQuotes(QStringList codes, CancelHandle cancel = {});
    QCoro::Task<QList<FundHolding>> fetchHoldings(QString code, CancelHandle cancel = {});
    // The quotes with their holdings, in the order of the quotes. A fund whose
    // holdings cannot be fetched keeps an empty list; only the quotes request
    // can fail the whole operation.
    QCoro::Task<QList<FundDetail>> fetchAll(QStringList codes, CancelHandle cancel = {});

private:
    static QString defaultOrigin();
    QCoro::Task<QJsonObject> get(QString url, CancelHandle cancel);
    QCoro::Task<QList<FundHolding>> holdingsOrEmpty(QString code, CancelHandle cancel);

    QString m_base; // origin + "/FundMNewApi"
    std::chrono::milliseconds m_timeout;
    RequestScope m_scope;
};

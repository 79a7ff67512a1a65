#pragma once

#include "CancelToken.h"
#include "NetworkClient.h"
#include "QuoteRecords.h"

#include <QCoroTask>
#include <QDateTime>

#include <functional>

// The latest quote of the Shanghai gold futures main contract ("113.aum"),
// in CNY per gram as the provider sends it.
class GoldService {
public:
    using Clock = std::function<QDateTime()>;

    explicit GoldService(QString origin = defaultOrigin(),
                         std::chrono::milliseconds timeout = NetworkClient::defaultTimeout,
                         Clock now = {});

    // Throws the errors of getJSON, or invalidData("沪金解析失败") when the
    // answer has no quote row.
    QCoro::Task<GoldQuote> fetch(CancelHandle cancel = {});

    // The request address, fixed but for the origin.
    QUrl quoteUrl() const;

private:
    static QString defaultOrigin();

    QString m_base;
    std::chrono::milliseconds m_timeout;
    Clock m_now;
    RequestScope m_scope;
};
